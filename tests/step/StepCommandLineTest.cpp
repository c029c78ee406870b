// Faults of hemwright-step's own command line: each one ends with exit
// code 64, a message naming the fault and the usage text on standard error,
// and leaves the files alone.
#include "tests/step/StepCommand.h"

#include <gtest/gtest.h>

#include <regex>

using step_testing::StepResult;
using step_testing::StepTest;
using testing_support::readBytes;

namespace {

class StepCommandLineTest : public StepTest {
protected:
    // Runs the arguments followed by a data file and expects a usage failure
    // with the message; the file must stay as it was.
    void expectUsageError(std::vector<std::string> arguments, const std::string& message) {
        const std::string file = dataFile("f.txt", "content");
        arguments.push_back(file);
        const StepResult result = run(arguments);
        EXPECT_EQ(64, result.exitStatus);
        EXPECT_EQ(0u, result.standardError.find("hemwright-step: " + message + "\n")) << result.standardError;
        EXPECT_NE(std::string::npos, result.standardError.find("Usage: hemwright-step [OPTIONS] FILE..."));
        EXPECT_EQ("", result.standardOutput);
        EXPECT_EQ("content", readBytes(file));
        EXPECT_TRUE(leftWorkingDirectories().empty());
    }
};

TEST_F(StepCommandLineTest, OptionFaultsGiveUsageExitCode) {
    expectUsageError({"--prepend", "a", "--bogus"}, "unrecognised option '--bogus'.");
    // An abbreviation is not guessed: it could pick an option by accident.
    expectUsageError({"--prep", "a"}, "unrecognised option '--prep'.");
    expectUsageError({"--line-break-style", "dos", "--prepend", "a"},
                     "invalid --line-break-style 'dos'; use windows, unix, linux or mac.");
    expectUsageError({"--line-break-style", "", "--prepend", "a"},
                     "invalid --line-break-style ''; use windows, unix, linux or mac.");
    expectUsageError({"--prepend", "a", "--prepend-file", data.file("f.txt")},
                     "--prepend and --prepend-file cannot be used together.");
    expectUsageError({"--append-file", data.file("absent.txt")},
                     "cannot read --append-file '" + data.file("absent.txt") + "': No such file or directory.");
    expectUsageError({"--prepend-file", data.path()},
                     "cannot read --prepend-file '" + data.path() + "': it is a directory.");
}

TEST_F(StepCommandLineTest, MissingValueAndMissingFilesGiveUsageExitCode) {
    StepResult result = run({"--prepend"});
    EXPECT_EQ(64, result.exitStatus);
    EXPECT_EQ(0u, result.standardError.find("hemwright-step: the required argument for option '--prepend' is missing."))
        << result.standardError;

    result = run({"--prepend", "a"});
    EXPECT_EQ(64, result.exitStatus);
    EXPECT_EQ(0u, result.standardError.find("hemwright-step: no files given.\n")) << result.standardError;
}

TEST_F(StepCommandLineTest, TextsTheHostDocumentCannotCarryAreRejected) {
    expectUsageError({"--prepend", "\xC0\xAF"},
                     "the text of --prepend cannot be passed to hemwright: byte 0xC0 at offset 0 is not valid UTF-8.");
    expectUsageError({"--append", "ok\xE2\x82"},
                     "the text of --append cannot be passed to hemwright: byte 0xE2 at offset 2 is not valid UTF-8.");
    // A UTF-16 surrogate and a code point above U+10FFFF are not UTF-8.
    expectUsageError({"--append", "\xED\xA0\x80"},
                     "the text of --append cannot be passed to hemwright: byte 0xED at offset 0 is not valid UTF-8.");
    expectUsageError({"--append", "\xF4\x90\x80\x80"},
                     "the text of --append cannot be passed to hemwright: byte 0xF4 at offset 0 is not valid UTF-8.");
    expectUsageError({"--prepend", "a\x01"},
                     "the text of --prepend cannot be passed to hemwright: character U+0001 at offset 1 cannot "
                     "appear in an XML 1.0 document.");
    expectUsageError({"--prepend", "\xEF\xBF\xBE"},
                     "the text of --prepend cannot be passed to hemwright: character U+FFFE at offset 0 cannot "
                     "appear in an XML 1.0 document.");
    dataFile("latin1.txt", "caf\xE9");
    expectUsageError({"--prepend-file", data.file("latin1.txt")},
                     "the text of --prepend-file cannot be passed to hemwright: byte 0xE9 at offset 3 is not valid "
                     "UTF-8.");
}

TEST_F(StepCommandLineTest, FileNamesTheHostDocumentCannotCarryAreRejected) {
    const StepResult result = run({"--prepend", "a", data.file("bad\xFF.txt")});
    EXPECT_EQ(64, result.exitStatus);
    EXPECT_EQ(0u, result.standardError.find("hemwright-step: the file name '" + data.file("bad\xFF.txt") +
                                            "' cannot be passed to hemwright: byte 0xFF at offset " +
                                            std::to_string(data.file("bad").size()) + " is not valid UTF-8.\n"))
        << result.standardError;
}

TEST_F(StepCommandLineTest, HelpAndVersionNeedNoFiles) {
    std::smatch version;
    const std::string project = readBytes(std::string(HEMWRIGHT_SOURCE_DIR) + "/CMakeLists.txt");
    ASSERT_TRUE(std::regex_search(project, version, std::regex("project\\(hemwright VERSION ([0-9.]+)")));
    StepResult result = run({"--version"});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ("hemwright-step " + version[1].str() + "\n", result.standardOutput);

    result = run({"--help"});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ(0u, result.standardOutput.find("Usage: hemwright-step [OPTIONS] FILE...\n"));
    EXPECT_NE(std::string::npos, result.standardOutput.find("--line-break-style"));
    EXPECT_EQ("", result.standardError);
}

}  // namespace
