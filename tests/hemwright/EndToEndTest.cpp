// Runs the built executable as the host does: a fresh working directory with
// input.xml and input files, no arguments, then the exit code, the exact
// bytes of output.xml and of the rewritten files.
#include "tests/hemwright/EndToEndTest.h"
#include "tests/support/HostRunner.h"
#include "tests/support/InputDocument.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

using testing_support::exitCodeSeenByHost;
using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::writeBytes;

namespace {

using testing_support::repeated;

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
                       "\t\t\t<DataElement Name=\"AddLineBreak\" Type=\"bool\">TRUE</DataElement>\n"
                       "\t\t\t<DataElement Name=\"Count\" Type=\"int\">3.50</DataElement>\n"
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

// output.xml gives back every data element the plugin leaves alone with the
// Type and value texts the host sent, byte for byte, whatever its typed value
// makes of them (numbers beyond six digits or beyond a double, zones and long
// fractions of dates, bool spellings, type names the runtime does not know);
// only the output document's own encoding applies (a character above U+00FF
// becomes a reference, line ends and tabs come back as a parser reads them).
TEST_F(EndToEndTest, ValuesComeBackAsTheHostSentThem) {
    struct Row {
        std::string name;   // as written in both documents
        std::string type;   // the Type text sent
        std::string value;  // the value text sent
        std::string typeBack;
        std::string valueBack;
        bool nullBack = false;  // comes back marked null
    };
    std::vector<Row> rows = {
        {"Int1", "int", "1000000", "int", "1000000"},
        {"Int2", "int", "123456789", "int", "123456789"},
        {"Int3", "int", "2147483647", "int", "2147483647"},
        {"Int4", "INT", " 12abc ", "INT", " 12abc "},
        {"Long1", "long", "1717171717171", "long", "1717171717171"},
        {"Long2", "long", "9007199254740993", "long", "9007199254740993"},
        {"Double1", "double", "3.14159265", "double", "3.14159265"},
        {"Double2", "double", "1234567.891", "double", "1234567.891"},
        {"Double3", "double", "1e309", "double", "1e309"},
        {"Double4", "double", "inf", "double", "inf"},
        {"Float1", "float", "-NaN", "float", "-NaN"},
        {"Float2", "float", "5 \xE2\x82\xAC", "float", "5 &#8364;"},
        {"DateZ", "date", "2026-12-09T10:11:12Z", "date", "2026-12-09T10:11:12Z"},
        {"DateOffset", "date", "2026-12-09T10:11:12+02:00", "date", "2026-12-09T10:11:12+02:00"},
        {"DateFraction", "date", "2026-12-09T10:11:12.9999999999", "date", "2026-12-09T10:11:12.9999999999"},
        {"DateWide", "date", "12345-3-05T4:30:15.1", "date", "12345-3-05T4:30:15.1"},
        {"DateNegative", "date", "-1000-03-05T14:30:15.050", "date", "-1000-03-05T14:30:15.050"},
        {"Bool1", "bool", "Yes", "bool", "Yes"},
        {"Bool2", "Bool", "0", "Bool", "0"},
        {"Boolean", "boolean", "true", "boolean", "true"},
        {"Decimal", "decimal", "12.50", "decimal", "12.50"},
        {"Guid", "guid", "{6F9619FF-8B86-D011-B42D-00C04FC964FF}", "guid", "{6F9619FF-8B86-D011-B42D-00C04FC964FF}"},
        {"Odd", "a&amp;b", "x", "a&amp;b", "x"},
        {"Lines", "string", "a&#13;&#10;b\tc&#13;", "string", "a&#13;\nb\tc&#13;"},
        {"T&#9;&#13;&#10;", "string", "x", "string", "x"},
        {"EmptyType", "", "v", "", "v"},
    };
    std::string sent;
    for (const Row& row : rows) {
        sent += element(row.name, row.type, row.value);
    }
    rows.push_back({"NoType", "", "v", "string", "v"});
    sent += "   <DataElement Name=\"NoType\">v</DataElement>\n";
    // The null marker output.xml writes, in any letter case, whatever the
    // element holds; any other IsNull text leaves the element as it is.
    const struct {
        const char* name;
        const char* type;
        const char* isNull;
        const char* value;
        bool null;
    } marked[] = {
        {"NullDate", "date", "true", "", true},
        {"NullString", "string", "TRUE", "text", true},
        {"NullInt", "int", "True", "5", true},
        {"NotNullFalse", "string", "false", "text", false},
        {"NotNullEmpty", "string", "", "text", false},
        {"NotNullOther", "int", "1", "5", false},
    };
    for (const auto& m : marked) {
        rows.push_back({m.name, m.type, m.value, m.type, m.null ? "" : m.value, m.null});
        sent += std::string("   <DataElement Name=\"") + m.name + "\" Type=\"" + m.type + "\" IsNull=\"" + m.isNull +
                "\">" + m.value + "</DataElement>\n";
    }
    writeInput(sent, {});

    EXPECT_EQ(0, runHost().exitStatus);
    std::sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) { return a.name < b.name; });
    std::string expected = "\t\t<DataElements>\n";
    for (const Row& row : rows) {
        expected += "\t\t\t<DataElement Name=\"" + row.name + "\" Type=\"" + row.typeBack + "\"" +
                    (row.nullBack ? " IsNull=\"true\"" : "") + ">" + row.valueBack + "</DataElement>\n";
    }
    expected += "\t\t</DataElements>\n"
                "\t\t<Log Severity=\"Warning\">Neither DataToPrepend nor DataToAppend were set. "
                "Hemwright will not modify file.</Log>\n";
    EXPECT_EQ(document(expected), output());
}

// Types the runtime cannot hold still stop the run in the input phase.
TEST_F(EndToEndTest, TypesWithoutAValueFailTheInputPhase) {
    for (const char* type : {"timespan", "undefined", "TimeSpan"}) {
        writeInput(element("Kept", "int", "1") + element("Span", type, "00:01:00"), {});
        EXPECT_EQ(exitCodeSeenByHost(1001), runHost().exitStatus) << type;
        EXPECT_EQ(document("\t\t<Log Severity=\"Error\">Cannot convert a string to data type " +
                           std::string(type[0] == 'u' ? "undefined" : "timespan") + ".</Log>\n"),
                  output())
            << type;
    }
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
    EXPECT_EQ(exitCodeSeenByHost(1001), result.exitStatus);
    EXPECT_EQ(document("\t\t<Log Severity=\"Error\">The input file \"input.xml\" does not exist.</Log>\n"), output());
}

TEST_F(EndToEndTest, MissingSpecVersionGives1003WithTheFixedText) {
    writeBytes(work.file("input.xml"), "<VellamorPlugin><PipelinePluginInput SpecVersion=\"1.0\"/></VellamorPlugin>");
    EXPECT_EQ(exitCodeSeenByHost(1003), runHost().exitStatus);
    EXPECT_EQ(document("\t\t<Log Severity=\"Error\">Unexpected error when parsing the input XML.</Log>\n"), output());
}

TEST_F(EndToEndTest, InvalidLineBreakStyleGives2001AndTouchesNothing) {
    writeBytes(work.file("a.txt"), "keep");
    writeInput(element("DataToPrepend", "string", "x") + element("LineBreakStyle", "string", "dos"),
               {"a.txt"});
    EXPECT_EQ(exitCodeSeenByHost(2001), runHost().exitStatus);
    EXPECT_EQ("keep", readBytes(work.file("a.txt")));
    EXPECT_NE(std::string::npos,
              output().find("\t\t<Log Severity=\"Error\">Invalid input: $LineBreakStyle. Valid values are: windows, "
                            "unix, linux or mac.</Log>\n"));
}

TEST_F(EndToEndTest, MissingInputFileGives2001AndLeavesNoTemporaryFile) {
    writeInput(element("DataToPrepend", "string", "x"), {"absent.txt"});
    EXPECT_EQ(exitCodeSeenByHost(2001), runHost().exitStatus);
    EXPECT_NE(std::string::npos,
              output().find("<Log Severity=\"Error\">Failed to open input file '" + work.file("absent.txt") + "'."));
    EXPECT_EQ((std::vector<std::string>{"input.xml", "output.xml"}), listDirectory(work.path()));
}

TEST_F(EndToEndTest, UnwritableOutputDocumentGives3002OnStandardOutput) {
    writeBytes(work.file("a.txt"), "body");
    writeInput(element("DataToAppend", "string", "!"), {"a.txt"});
    ASSERT_TRUE(std::filesystem::create_directory(work.file("output.xml")));

    const testing_support::HostRun result = runHost();
    EXPECT_EQ(exitCodeSeenByHost(3002), result.exitStatus);
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

TEST_F(EndToEndTest, InputDocumentThatIsNoRegularFileIsRefusedAtOnce) {
    ASSERT_TRUE(std::filesystem::create_directory(work.file("input.xml")));
    expectInputDocumentRefusedAtOnce();
}

std::string numbered(const std::string& before, const std::string& after, std::size_t count) {
    std::string text;
    for (std::size_t index = 0; index < count; ++index) {
        text += before + std::to_string(index) + after;
    }
    return text;
}

// Each document would take from a minute to hours to parse in full; each is
// refused within the host's patience, and memory stays small.
TEST_F(EndToEndTest, HostileStructureEndsPromptlyWith1001) {
    const struct {
        const char* what;
        std::string structure;
        const char* reason;
    } cases[] = {
        {"nesting a million deep (7 MB)", repeated("<a>", 1000000) + repeated("</a>", 1000000),
         "is nested more than 1000 levels deep"},
        {"100,000 attributes", "<x" + numbered(" a", "=\"1\"", 100000) + "/>", "has 100000 attributes"},
        {"100,000 namespace declarations", "<x" + numbered(" xmlns:p", "=\"urn:x\"", 100000) + "/>",
         "has 100000 attributes"},
    };
    for (const auto& entry : cases) {
        writeBytes(work.file("input.xml"), testing_support::inputDocument("", {}, entry.structure + "\n"));
        testing_support::HostOptions options;
        options.timeout = std::chrono::seconds(10);
        const testing_support::HostRun run = testing_support::runHost(HEMWRIGHT_EXECUTABLE, work.path(), options);
        EXPECT_FALSE(run.timedOut) << entry.what;
        EXPECT_EQ(exitCodeSeenByHost(1001), run.exitStatus) << entry.what;
        EXPECT_NE(std::string::npos, output().find(entry.reason)) << entry.what;
    }
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

namespace {

// A person's help or version request is answered wherever it stands, a
// mistyped option refused with 64, and a plain word named and ignored; only
// the last runs the step, as the host would start it.
TEST_F(EndToEndTest, ArgumentsAreAnsweredRefusedOrIgnoredNeverMistakenForARun) {
    expectArgumentCases({
        {{"--help"}, 0, kHelpPart, "", false},
        {{"-h"}, 0, kHelpPart, "", false},
        {{"-?"}, 0, kHelpPart, "", false},
        {{"/?"}, 0, kHelpPart, "", false},
        {{"--version"}, 0, kVersionPart, "", false},
        {{"-V"}, 0, kVersionPart, "", false},
        {{"-x", "word", "--help"}, 0, kHelpPart, "", false},
        {{"--version", "-h"}, 0, kVersionPart, "", false},
        {{"-x"}, 64, "", unknownOption("-x"), false},
        {{"--version=2"}, 64, "", unknownOption("--version=2"), false},
        {{"-"}, 64, "", unknownOption("-"), false},
        {{"word", "--dry-run"}, 64, "", unknownOption("--dry-run"), false},
        {{"word"}, 0, "", ignoredArgument("word"), true},
        {{"two words", ""}, 0, "", ignoredArgument("two words") + ignoredArgument(""), true},
    });
}

}  // namespace
