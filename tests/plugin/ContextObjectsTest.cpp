#include "plugin/OutputFiles.h"
#include "plugin/PipelinePluginContext.h"
#include "plugin/PipelinePluginInput.h"
#include "plugin/PipelinePluginLogger.h"
#include "plugin/PipelinePluginOutput.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>

using namespace Vellamor::Plugin;

namespace {

// What a line break written to a text stream becomes in a file here, asked
// of a file written in dir.
std::string textLineEnd(const testing_support::ScopedTempDir& dir) {
    const std::string path = dir.file("line-end");
    std::ofstream(path) << '\n';
    const std::string bytes = testing_support::readBytes(path);
    std::remove(path.c_str());
    return bytes;
}

std::vector<std::string> namesOf(const InputFiles& files) {
    std::vector<std::string> names;
    for (const auto& file : files) {
        names.push_back(file->getName());
    }
    return names;
}

TEST(ContextObjectsTest, NewContextHoldsTheDefaultsTheDriverWritesAfterAFailedRead) {
    const PipelinePluginContextImpl context;
    EXPECT_EQ("1.0", context.getPluginSpecVersion());
    EXPECT_EQ("1.0", context.getPipelinePluginSpecVersion());
    EXPECT_EQ(-1, context.getOperation().getId());
    EXPECT_EQ("", context.getOperation().getName());
    EXPECT_EQ("", context.getOperation().getGuid());
    EXPECT_EQ("", context.getServerInfo().getVersion());
    EXPECT_EQ("", context.getServerInfo().getHome());
    EXPECT_EQ("", context.getOperatingSystemInfo().getName());
    EXPECT_EQ("", context.getPipelinePosition().getRelative());
    EXPECT_EQ("", context.getPluginHome());
    EXPECT_EQ(0u, context.getDataElements().size());
}

TEST(ContextObjectsTest, SettersStoreCopiesThatOutliveTheirSources) {
    PipelinePluginContextImpl context;
    {
        auto elements = createDataElements();
        elements->add(*createDataElement("Name", "value", DataType::String));
        context.setDataElements(*elements);
        context.setOperation(OperationImpl("Run", "{g}", 12));
        context.setServerInfo(VellamorServerInfoImpl("9.1", "/srv"));
        context.setOperatingSystemInfo(OperatingSystemInfoImpl("Linux", "6"));
        context.setPipelinePosition(PipelinePositionImpl("3", "last"));
        context.setPluginHome("/home/plugin");
    }
    EXPECT_EQ("value", context.getDataElements().get("Name").getString());
    EXPECT_EQ(12, context.getOperation().getId());
    EXPECT_EQ("{g}", context.getOperation().getGuid());
    EXPECT_EQ("/srv", context.getServerInfo().getHome());
    EXPECT_EQ("Linux", context.getOperatingSystemInfo().getName());
    EXPECT_EQ("3", context.getPipelinePosition().getPosition());
    EXPECT_EQ("last", context.getPipelinePosition().getRelative());
    EXPECT_EQ("/home/plugin", context.getPluginHome());
}

TEST(ContextObjectsTest, SetInputFilesReplacesTheHeldFilesInOrder) {
    PipelineInputFilesImpl three;
    three.add(PipelineInputFileImpl("a"));
    three.add(PipelineInputFileImpl("b"));
    three.add(PipelineInputFileImpl("a"));
    PipelinePluginInputImpl input;
    input.setInputFiles(three);
    EXPECT_EQ((std::vector<std::string>{"a", "b", "a"}), namesOf(input.getInputFiles()));
    input.setInputFiles(PipelineInputFilesImpl());
    EXPECT_EQ(0u, input.getInputFiles().size());
}

TEST(ContextObjectsTest, OutputFilesTurnHasOutputFilesOnAndOff) {
    PipelinePluginOutputImpl output;
    EXPECT_FALSE(output.hasOutputFiles());
    EXPECT_EQ("", output.getLogMessage().message);
    EXPECT_EQ(Information, output.getLogMessage().severity);
    output.getOutputFiles().add("out.txt");
    EXPECT_TRUE(output.hasOutputFiles());
    output.getOutputFiles().clear();
    EXPECT_FALSE(output.hasOutputFiles());
}

TEST(ContextObjectsTest, AddingAnOutputFileCopiesItsMessageAndOriginsDeeply) {
    auto source = createOutputFile("result.txt");
    source->addInputFile(InputFileImpl("in1"));
    source->addInputFile(InputFileImpl("in2"));
    source->setLogMessage(LogMessage{"done", Warning});

    auto files = createOutputFiles();
    files->add(*source);
    files->add("single", InputFileImpl("origin"));
    source->setLogMessage(LogMessage{"changed", Error});
    source->addInputFile(InputFileImpl("in3"));

    ASSERT_EQ(2u, files->size());
    const OutputFile& copy = **files->begin();
    EXPECT_EQ("result.txt", copy.getName());
    EXPECT_EQ("done", copy.getLogMessage().message);
    EXPECT_EQ(Warning, copy.getLogMessage().severity);
    EXPECT_EQ((std::vector<std::string>{"in1", "in2"}), namesOf(copy.getInputFiles()));
    const OutputFile& single = **(files->begin() + 1);
    EXPECT_EQ((std::vector<std::string>{"origin"}), namesOf(single.getInputFiles()));
    EXPECT_EQ(Information, single.getLogMessage().severity);
}

TEST(ContextObjectsTest, LoggerAppendsStampedLinesAndIgnoresWhatItCannotWrite) {
    testing_support::ScopedTempDir dir;
    const std::string path = dir.file("plugin.log");
    PipelinePluginLoggerImpl logger(true, path);
    logger.log("", Error);
    logger.log("first", Warning);
    logger.log("second", static_cast<Severity>(7));
    const std::string text = testing_support::readBytes(path);
    // Lines end as a text file's do here (CR LF on Windows).
    const std::regex line(R"(\[(\w+), \w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4}\] (\w+))" + textLineEnd(dir));
    std::vector<std::string> words;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), line); it != std::sregex_iterator(); ++it) {
        words.push_back((*it)[1].str() + ":" + (*it)[2].str());
    }
    EXPECT_EQ((std::vector<std::string>{"Warning:first", "Informational:second"}), words);

    PipelinePluginLoggerImpl disabled(false, dir.file("never.log"));
    disabled.log("text", Error);
    EXPECT_EQ(std::vector<std::string>{"plugin.log"}, testing_support::listDirectory(dir.path()));

    PipelinePluginLoggerImpl unwritable(true, dir.path());
    EXPECT_NO_THROW(unwritable.log("text", Error));
}

}  // namespace
