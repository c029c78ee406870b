// hemwright-step running the real hemwright: the files are rewritten, the
// summary reports the exit code with its meaning, the run's log message and
// the sizes, the tool exits with hemwright's status, and the working
// directory is removed unless --keep is given.
#include "tests/step/StepCommand.h"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

using step_testing::StepResult;
using step_testing::StepTest;
using testing_support::listDirectory;
using testing_support::readBytes;

namespace {

class StepRunTest : public StepTest {};

TEST_F(StepRunTest, RewritesFilesAndSummarisesSuccess) {
    const std::string first = dataFile("first.txt", "abc");
    const std::string second = dataFile("second.txt", "");

    const StepResult result = run({"--prepend", "<h\xC3\xA9>", "--append", "&end", first, second});

    EXPECT_EQ(0, result.exitStatus) << result.standardError;
    EXPECT_EQ("<h\xE9>abc&end", readBytes(first));
    EXPECT_EQ("<h\xE9>&end", readBytes(second));
    EXPECT_EQ("exit code: 0 (success)\n"
              "log: none\n"
              "files:\n"
              "  " + first + ": 3 bytes -> 11 bytes\n"
              "  " + second + ": 0 bytes -> 8 bytes\n",
              result.standardOutput);
    EXPECT_EQ("", result.standardError);
    EXPECT_TRUE(leftWorkingDirectories().empty());
}

TEST_F(StepRunTest, LineBreaksReachTheFileUnchangedWithoutAStyle) {
    const std::string file = dataFile("f.txt", "x");
    const StepResult result = run({"--prepend", "a\r\nb\rc\n", "--append", "\r", file});
    EXPECT_EQ(0, result.exitStatus) << result.standardOutput << result.standardError;
    EXPECT_EQ("a\r\nb\rc\nx\r", readBytes(file));
}

TEST_F(StepRunTest, StyleAndLineBreakApplyAsInTheHost) {
    const std::string file = dataFile("f.txt", "body");
    const StepResult result =
        run({"--prepend", "a\r\nb", "--append", "\nz", "--line-break-style", "windows", "--add-line-break", file});
    EXPECT_EQ(0, result.exitStatus) << result.standardOutput << result.standardError;
    EXPECT_EQ("a\r\nb\r\nbody\r\nz", readBytes(file));
}

TEST_F(StepRunTest, WarningOfARunThatChangesNothingIsShown) {
    const std::string file = dataFile("f.txt", "x");
    const StepResult result = run({"--add-line-break", file});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ("x", readBytes(file));
    EXPECT_EQ("exit code: 0 (success)\n"
              "log: Warning: Neither DataToPrepend nor DataToAppend were set. Hemwright will not modify file.\n"
              "files:\n"
              "  " + file + ": 1 bytes -> 1 bytes\n",
              result.standardOutput);
}

TEST_F(StepRunTest, PluginFailureGivesItsExitStatusAndMessage) {
    const std::string missing = data.file("missing.txt");
    const StepResult result = run({"--prepend", "a", missing});
    EXPECT_EQ(2001 & 0xFF, result.exitStatus);
    EXPECT_EQ("exit code: 209 (2001: the plugin failed)\n"
              "log: Error: Failed to open input file '" + missing + "'.\n"
              "files:\n"
              "  " + missing + ": no file -> no file\n",
              result.standardOutput);
    EXPECT_TRUE(leftWorkingDirectories().empty());
}

TEST_F(StepRunTest, KeepLeavesTheWorkingDirectoryWithBothDocuments) {
    const std::string file = dataFile("f.txt", "x");
    const StepResult result = run({"--keep", "--prepend", "a", file});
    EXPECT_EQ(0, result.exitStatus);
    const std::vector<std::string> left = leftWorkingDirectories();
    ASSERT_EQ(1u, left.size());
    const std::string directory = temporary.file(left[0]);
    EXPECT_EQ(0u, result.standardOutput.find("working directory (kept): " + directory + "\nexit code: 0 (success)\n"))
        << result.standardOutput;
    EXPECT_EQ((std::vector<std::string>{"input.xml", "output.xml"}), listDirectory(directory));
    EXPECT_NE(std::string::npos, readBytes(directory + "/output.xml").find("<PipelinePluginOutput"));
}

}  // namespace
