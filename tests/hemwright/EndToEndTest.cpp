// Runs the built executable as the host does: a fresh working directory with
// input.xml and input files, no arguments, then the exit status, the exact
// bytes of output.xml and of the rewritten files.
#include "tests/support/HostRunner.h"
#include "tests/support/InputDocument.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::writeBytes;

namespace {

class EndToEndTest : public ::testing::Test {
protected:
    // Starts hemwright in the working directory, as the host does.
    testing_support::HostRun runHost() {
        const testing_support::HostRun run = testing_support::runHost(HEMWRIGHT_EXECUTABLE, work.path());
        EXPECT_TRUE(run.exited) << "hemwright did not exit normally";
        return run;
    }

    // An input.xml with the given data elements and files of the working
    // directory, named by their absolute paths as the host does.
    void writeInput(const std::string& dataElements, const std::vector<std::string>& names,
                    const std::string& prolog = "") {
        std::vector<std::string> paths;
        for (const std::string& name : names) {
            paths.push_back(work.file(name));
        }
        writeBytes(work.file("input.xml"),
                   testing_support::inputDocument(dataElements, paths,
                                                  "  <Operation Name=\"Op\" Guid=\"g\" Id=\"5\"/>\n", prolog));
    }

    static std::string element(const std::string& name, const std::string& type, const std::string& value) {
        return testing_support::dataElementXml(name, type, value);
    }

    std::string output() { return readBytes(work.file("output.xml")); }

    static std::string document(const std::string& body) {
        return "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
               "<VellamorPlugin SpecVersion=\"1.0\">\n"
               "\t<PipelinePluginOutput SpecVersion=\"1.0\">\n" +
               body +
               "\t</PipelinePluginOutput>\n"
               "</VellamorPlugin>\n";
    }

    testing_support::ScopedTempDir work;
};

TEST_F(EndToEndTest, RewritesEveryFileAndEchoesTheDataElements) {
    writeBytes(work.file("a.txt"), "line 1\r\nline 2");
    writeBytes(work.file("b.txt"), "");
    writeInput(element("DataToPrepend", "string", "Head") + element("DataToAppend", "string", "Tail") +
                   element("AddLineBreak", "bool", "TRUE") + element("Count", "int", "3.50"),
               {"a.txt", "b.txt"});

    const testing_support::HostRun result = runHost();
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ("", result.standardOutput);
    EXPECT_EQ("Head\r\nline 1\r\nline 2Tail", readBytes(work.file("a.txt")));
    EXPECT_EQ("Head\r\nTail", readBytes(work.file("b.txt")));
    EXPECT_EQ(document("\t\t<DataElements>\n"
                       "\t\t\t<DataElement Name=\"AddLineBreak\" Type=\"bool\">true</DataElement>\n"
                       "\t\t\t<DataElement Name=\"Count\" Type=\"int\">3.5</DataElement>\n"
                       "\t\t\t<DataElement Name=\"DataToAppend\" Type=\"string\">Tail</DataElement>\n"
                       "\t\t\t<DataElement Name=\"DataToPrepend\" Type=\"string\">Head</DataElement>\n"
                       "\t\t</DataElements>\n"),
              output());
    EXPECT_EQ((std::vector<std::string>{"a.txt", "b.txt", "input.xml", "output.xml"}), listDirectory(work.path()));
}

TEST_F(EndToEndTest, CdataAndMixedValuesReachTheFileWhole) {
    writeBytes(work.file("a.txt"), "body");
    writeInput(element("DataToPrepend", "string", "<![CDATA[<head>&]]>") +
                   element("DataToAppend", "string", "A<![CDATA[<B>]]>C") +
                   element("AddLineBreak", "string", "<![CDATA[true]]>"),
               {"a.txt"});

    EXPECT_EQ(0, runHost().exitStatus);
    EXPECT_EQ("<head>&\r\nbodyA<B>C", readBytes(work.file("a.txt")));
    EXPECT_NE(std::string::npos,
              output().find("<DataElement Name=\"DataToPrepend\" Type=\"string\">&lt;head&gt;&amp;</DataElement>"));
}

TEST_F(EndToEndTest, NothingToAddLeavesFilesAloneWithAWarning) {
    writeBytes(work.file("a.txt"), "keep");
    writeInput(element("AddLineBreak", "string", "true"), {"a.txt"});

    EXPECT_EQ(0, runHost().exitStatus);
    EXPECT_EQ("keep", readBytes(work.file("a.txt")));
    EXPECT_EQ(document("\t\t<DataElements>\n"
                       "\t\t\t<DataElement Name=\"AddLineBreak\" Type=\"string\">true</DataElement>\n"
                       "\t\t</DataElements>\n"
                       "\t\t<Log Severity=\"Warning\">Neither DataToPrepend nor DataToAppend were set. "
                       "Hemwright will not modify file.</Log>\n"),
              output());
}

TEST_F(EndToEndTest, MissingInputDocumentGives1001AndStillWritesOutput) {
    const testing_support::HostRun result = runHost();
    EXPECT_EQ(1001 & 0xFF, result.exitStatus);
    EXPECT_EQ(document("\t\t<Log Severity=\"Error\">The input file \"input.xml\" does not exist.</Log>\n"), output());
}

TEST_F(EndToEndTest, MissingSpecVersionGives1003WithTheFixedText) {
    writeBytes(work.file("input.xml"), "<VellamorPlugin><PipelinePluginInput SpecVersion=\"1.0\"/></VellamorPlugin>");
    EXPECT_EQ(1003 & 0xFF, runHost().exitStatus);
    EXPECT_EQ(document("\t\t<Log Severity=\"Error\">Unexpected error when parsing the input XML.</Log>\n"), output());
}

TEST_F(EndToEndTest, InvalidLineBreakStyleGives2001AndTouchesNothing) {
    writeBytes(work.file("a.txt"), "keep");
    writeInput(element("DataToPrepend", "string", "x") + element("LineBreakStyle", "string", "dos"),
               {"a.txt"});
    EXPECT_EQ(2001 & 0xFF, runHost().exitStatus);
    EXPECT_EQ("keep", readBytes(work.file("a.txt")));
    EXPECT_NE(std::string::npos,
              output().find("\t\t<Log Severity=\"Error\">Invalid input: $LineBreakStyle. Valid values are: windows, "
                            "unix, linux or mac.</Log>\n"));
}

TEST_F(EndToEndTest, MissingInputFileGives2001AndLeavesNoTemporaryFile) {
    writeInput(element("DataToPrepend", "string", "x"), {"absent.txt"});
    EXPECT_EQ(2001 & 0xFF, runHost().exitStatus);
    EXPECT_NE(std::string::npos,
              output().find("<Log Severity=\"Error\">Failed to open input file '" + work.file("absent.txt") + "'."));
    EXPECT_EQ((std::vector<std::string>{"input.xml", "output.xml"}), listDirectory(work.path()));
}

TEST_F(EndToEndTest, UnwritableOutputDocumentGives3002OnStandardOutput) {
    writeBytes(work.file("a.txt"), "body");
    writeInput(element("DataToAppend", "string", "!"), {"a.txt"});
    ASSERT_EQ(0, ::mkdir(work.file("output.xml").c_str(), 0755));

    const testing_support::HostRun result = runHost();
    EXPECT_EQ(3002 & 0xFF, result.exitStatus);
    EXPECT_EQ(0u, result.standardOutput.find("Failed to write to file \"output.xml\". "));
    EXPECT_EQ('\n', result.standardOutput.back());
    EXPECT_EQ("body!", readBytes(work.file("a.txt")));
}

TEST_F(EndToEndTest, ByteOrderMarkIsReadAndRemovedFromTheInputDocument) {
    writeBytes(work.file("a.txt"), "body");
    writeInput(element("DataToPrepend", "string", ">"), {"a.txt"}, "\xEF\xBB\xBF");

    EXPECT_EQ(0, runHost().exitStatus);
    EXPECT_EQ(">body", readBytes(work.file("a.txt")));
    EXPECT_EQ('<', readBytes(work.file("input.xml")).front());
}

TEST_F(EndToEndTest, NonAsciiTextsReachTheFileAsSingleBytesAndOutputAsDeclared) {
    writeBytes(work.file("a.txt"), "x");
    writeInput(element("DataToPrepend", "string", "\xC3\xA9\xE2\x82\xAC"), {"a.txt"});

    EXPECT_EQ(0, runHost().exitStatus);
    EXPECT_EQ("\xE9?x", readBytes(work.file("a.txt")));
    EXPECT_NE(std::string::npos,
              output().find("<DataElement Name=\"DataToPrepend\" Type=\"string\">\xE9&#8364;</DataElement>"));
}

TEST_F(EndToEndTest, ExternalEntitiesAreNeverRead) {
    writeBytes(work.file("secret.txt"), "TOP-SECRET");
    writeBytes(work.file("a.txt"), "x");
    writeInput(element("DataToPrepend", "string", "&ext;") + element("DataToAppend", "string", "!"), {"a.txt"});
    // Put the declaration in front of the root element.
    std::string input = readBytes(work.file("input.xml"));
    input.insert(input.find("<VellamorPlugin"),
                 "<!DOCTYPE VellamorPlugin [<!ENTITY ext SYSTEM \"file://" + work.file("secret.txt") + "\">]>\n");
    writeBytes(work.file("input.xml"), input);

    runHost();
    EXPECT_EQ(std::string::npos, output().find("TOP-SECRET"));
    EXPECT_EQ(std::string::npos, readBytes(work.file("a.txt")).find("TOP-SECRET"));
}

}  // namespace
