// --dry-run: the preview shows the bytes hemwright would write (line breaks
// normalised, single-byte text), reads the files without changing them, and
// never makes a working directory or runs hemwright.
#include "tests/step/StepCommand.h"

#include <gtest/gtest.h>

using step_testing::StepResult;
using step_testing::StepTest;
using testing_support::readBytes;

namespace {

class StepDryRunTest : public StepTest {};

TEST_F(StepDryRunTest, PreviewShowsFirstAndLastLinesWithTheAddedBytes) {
    const std::string report = dataFile("report.txt", "line one\r\nline two\nlast line\n");
    const std::string single = dataFile("single.txt", "only");
    const std::string empty = dataFile("empty.txt", "");

    const StepResult result = run({"--dry-run", "--prepend", "H\xC3\xA9\r\nX\xE2\x82\xAC", "--append", "\rEND",
                                   "--line-break-style", "UNIX", "--add-line-break", report, single, empty});

    EXPECT_EQ(0, result.exitStatus) << result.standardError;
    EXPECT_EQ("prefix: 6 bytes \"H\\xE9\\nX?\\n\"\n"
              "suffix: 4 bytes \"\\nEND\"\n" +
                  report + ": 29 bytes -> 39 bytes\n"
                  "  first line: \"H\\xE9\\nX?\\nline one\\r\\n\"\n"
                  "  last line:  \"last line\\n\\nEND\"\n" +
                  single + ": 4 bytes -> 14 bytes\n"
                  "  whole:      \"H\\xE9\\nX?\\nonly\\nEND\"\n" +
                  empty + ": 0 bytes -> 10 bytes\n"
                  "  whole:      \"H\\xE9\\nX?\\n\\nEND\"\n",
              result.standardOutput);
    EXPECT_EQ("line one\r\nline two\nlast line\n", readBytes(report));
    EXPECT_EQ("only", readBytes(single));
    EXPECT_EQ("", readBytes(empty));
    EXPECT_TRUE(leftWorkingDirectories().empty());
}

TEST_F(StepDryRunTest, LineBreakWithoutStyleIsCrLf) {
    const std::string file = dataFile("f.txt", "x");
    const StepResult result = run({"--dry-run", "--prepend", "a\nb", "--add-line-break", file});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_NE(std::string::npos, result.standardOutput.find("  whole:      \"a\\nb\\r\\nx\"\n"))
        << result.standardOutput;
}

TEST_F(StepDryRunTest, LongLinesAreCutInThePreview) {
    const std::string file = dataFile("long.txt", std::string(500, 'a') + "\n" + std::string(500, 'z'));
    const StepResult result = run({"--dry-run", "--append", "!", file});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_NE(std::string::npos, result.standardOutput.find("  first line: \"" + std::string(160, 'a') + "\" ...\n"));
    EXPECT_NE(std::string::npos, result.standardOutput.find("  last line:  ... \"" + std::string(160, 'z') + "!\"\n"));
}

TEST_F(StepDryRunTest, NothingToAddChangesNoFile) {
    const std::string file = dataFile("f.txt", "x");
    const StepResult result = run({"--dry-run", "--prepend", "", "--add-line-break", file});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ("Neither a text to prepend nor one to append is given: hemwright would change no file and end with "
              "a warning.\n",
              result.standardOutput);
}

}  // namespace
