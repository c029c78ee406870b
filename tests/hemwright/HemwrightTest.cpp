#include "hemwright/Hemwright.h"

#include "plugin/PipelinePluginContext.h"
#include "plugin/PipelinePluginInput.h"
#include "plugin/PipelinePluginOutput.h"
#include "plugin/PluginException.h"
#include "tests/support/SystemErrors.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

using namespace Vellamor::Plugin;
using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::writeBytes;

namespace {

class HemwrightTest : public ::testing::Test {
protected:
    void setParameter(const std::string& name, const std::string& value) {
        parameters_->add(*createDataElement(name, value, DataType::String));
    }

    void setNullParameter(const std::string& name) {
        auto element = createDataElement(name, "", DataType::String);
        element->setNull();
        parameters_->add(*element);
    }

    // Writes content to a file of the working directory and returns its path.
    std::string inputFile(const std::string& name, const std::string& content) {
        writeBytes(dir_.file(name), content);
        return dir_.file(name);
    }

    int process(const std::vector<std::string>& paths) {
        PipelinePluginContextImpl context;
        context.setDataElements(*parameters_);
        PipelineInputFilesImpl files;
        for (const std::string& path : paths) {
            files.add(PipelineInputFileImpl(path));
        }
        PipelinePluginInputImpl input;
        input.setInputFiles(files);
        return Hemwright().process(input, output_, context);
    }

    // The file "f" holding content after a run on it alone.
    std::string rewritten(const std::string& content) {
        const std::string path = inputFile("f", content);
        EXPECT_EQ(0, process({path}));
        EXPECT_EQ(std::vector<std::string>{"f"}, listDirectory(dir_.path()));
        return readBytes(path);
    }

    std::string failureOf(const std::vector<std::string>& paths) {
        try {
            process(paths);
        } catch (const PipelinePluginException& failure) {
            return failure.getMessage();
        }
        ADD_FAILURE() << "no PipelinePluginException";
        return std::string();
    }

    ScopedTempDir dir_;
    std::unique_ptr<DataElements> parameters_ = createDataElements();
    PipelinePluginOutputImpl output_;
};

const std::string kInvalidStyle = "Invalid input: $LineBreakStyle. Valid values are: windows, unix, linux or mac.";
const std::string kNothingToAdd = "Neither DataToPrepend nor DataToAppend were set. Hemwright will not modify file.";

}  // namespace

TEST_F(HemwrightTest, PrefixAloneGoesBeforeTheUnchangedContent) {
    setParameter("DataToPrepend", "A");
    const std::string content("\xEF\xBB\xBFx\r\ny\rz\n\0", 11);
    EXPECT_EQ("A" + content, rewritten(content));
    EXPECT_EQ("", output_.getLogMessage().message);
    EXPECT_FALSE(output_.hasOutputFiles());
}

TEST_F(HemwrightTest, LineBreakFollowsThePrefixOnlyInTheStyleGiven) {
    setParameter("DataToPrepend", "A");
    setParameter("DataToAppend", "Z");
    setParameter("AddLineBreak", "true");
    EXPECT_EQ("A\r\nxyzZ", rewritten("xyz"));

    setParameter("LineBreakStyle", "");
    EXPECT_EQ("A\r\nxyzZ", rewritten("xyz"));

    setNullParameter("LineBreakStyle");
    EXPECT_EQ("A\r\nxyzZ", rewritten("xyz"));

    setParameter("LineBreakStyle", "mac");
    EXPECT_EQ("A\rxyzZ", rewritten("xyz"));
}

TEST_F(HemwrightTest, SuffixAloneWithLineBreakStartsTheFileWithTheBreak) {
    setParameter("DataToAppend", "Z");
    setParameter("AddLineBreak", "1");
    setParameter("LineBreakStyle", "unix");
    EXPECT_EQ("\nxyzZ", rewritten("xyz"));
}

TEST_F(HemwrightTest, StyleNormalisesBothAddedTextsButNotTheContent) {
    setParameter("DataToPrepend", "a\r\nb\rc\n");
    setParameter("DataToAppend", "\r\ny\r");
    setParameter("LineBreakStyle", "UNIX");
    EXPECT_EQ("a\nb\nc\nx\r\n\ny\n", rewritten("x\r\n"));
}

TEST_F(HemwrightTest, AddLineBreakAcceptsTrueInAnyCaseAndExactlyOne) {
    setParameter("DataToPrepend", "A");
    for (const char* yes : {"TRUE", "True", "1"}) {
        setParameter("AddLineBreak", yes);
        EXPECT_EQ("A\r\nc", rewritten("c")) << yes;
    }
    for (const char* no : {"yes", "0", " 1", "1 ", "false", ""}) {
        setParameter("AddLineBreak", no);
        EXPECT_EQ("Ac", rewritten("c")) << no;
    }
    setNullParameter("AddLineBreak");
    EXPECT_EQ("Ac", rewritten("c"));
}

TEST_F(HemwrightTest, InvalidStyleFailsBeforeAnythingElse) {
    const std::string path = inputFile("f", "xyz");
    setParameter("LineBreakStyle", "dos");
    EXPECT_EQ(kInvalidStyle, failureOf({path}));
    setParameter("DataToPrepend", "A");
    EXPECT_EQ(kInvalidStyle, failureOf({path}));
    EXPECT_EQ("xyz", readBytes(path));
    EXPECT_EQ("", output_.getLogMessage().message);
}

TEST_F(HemwrightTest, NothingToAddLeavesFilesAloneWithAWarning) {
    setParameter("AddLineBreak", "true");
    setParameter("LineBreakStyle", "windows");
    setParameter("DataToPrepend", "");
    setNullParameter("DataToAppend");
    const std::string path = inputFile("f", "xyz");
    EXPECT_EQ(0, process({path, dir_.file("missing")}));
    EXPECT_EQ("xyz", readBytes(path));
    EXPECT_EQ(kNothingToAdd, output_.getLogMessage().message);
    EXPECT_EQ(Warning, output_.getLogMessage().severity);
    EXPECT_EQ(std::vector<std::string>{"f"}, listDirectory(dir_.path()));
}

TEST_F(HemwrightTest, EmptyFileAndNoFilesAtAll) {
    setParameter("DataToPrepend", "A");
    setParameter("DataToAppend", "Z");
    EXPECT_EQ("AZ", rewritten(""));
    EXPECT_EQ(0, process({}));
    EXPECT_EQ("", output_.getLogMessage().message);
}

TEST_F(HemwrightTest, AddedTextsAreConvertedFromUtf8ToSingleBytes) {
    setParameter("DataToPrepend", "\xC3\xA9");        // e with acute accent
    setParameter("DataToAppend", "\xE2\x82\xAC!\xFF");  // euro sign, malformed byte
    EXPECT_EQ("\xE9-?!?", rewritten("-"));
}

TEST_F(HemwrightTest, FilesAreRewrittenInOrderAndAFileListedTwiceTwice) {
    setParameter("DataToPrepend", "<");
    setParameter("DataToAppend", ">");
    const std::string first = inputFile("first", "1");
    const std::string second = inputFile("second", "2");
    EXPECT_EQ(0, process({first, second, first}));
    EXPECT_EQ("<<1>>", readBytes(first));
    EXPECT_EQ("<2>", readBytes(second));
    EXPECT_EQ((std::vector<std::string>{"first", "second"}), listDirectory(dir_.path()));
}

TEST_F(HemwrightTest, MissingFileStopsTheRunAfterTheFilesBeforeIt) {
    setParameter("DataToPrepend", "A");
    const std::string done = inputFile("done", "1");
    const std::string later = inputFile("later", "2");
    const std::string missing = dir_.file("missing");
    EXPECT_EQ("Failed to open input file '" + missing + "'. Reason: " +
                  testing_support::reasonSentence(testing_support::SystemError::FileNotFound),
              failureOf({done, missing, later}));
    EXPECT_EQ("A1", readBytes(done));
    EXPECT_EQ("2", readBytes(later));
    EXPECT_EQ((std::vector<std::string>{"done", "later"}), listDirectory(dir_.path()));
}
