// --dry-run: the preview shows the bytes hemwright would write (line breaks
// normalised, single-byte text), reads the files without changing them, and
// never makes a working directory or runs hemwright.
#include "tests/step/StepCommand.h"

#include <gtest/gtest.h>

#include <unistd.h>

using step_testing::StepResult;
using step_testing::StepTest;
using testing_support::readBytes;

namespace {

class StepDryRunTest : public StepTest {};

// The last line of text, with its line feed.
std::string lastLine(const std::string& text) {
    const std::string::size_type end = text.size() < 2 ? std::string::npos : text.rfind('\n', text.size() - 2);
    return end == std::string::npos ? text : text.substr(end + 1);
}

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
                  "  whole:      \"H\\xE9\\nX?\\n\\nEND\"\n"
                  "3 files would change, 30 bytes would be added, 0 warnings\n",
              result.standardOutput);
    EXPECT_EQ("", result.standardError);
    EXPECT_EQ("line one\r\nline two\nlast line\n", readBytes(report));
    EXPECT_EQ("only", readBytes(single));
    EXPECT_EQ("", readBytes(empty));
    EXPECT_TRUE(leftWorkingDirectories().empty());
}

// What a rewrite does beyond the bytes is said per file, before anything
// changes, and counted in the closing line.
TEST_F(StepDryRunTest, WarningsArePerFileAndCounted) {
    const std::string target = dataFile("target.txt", "t");
    const std::string link = data.file("link.txt");
    ASSERT_EQ(0, ::symlink(target.c_str(), link.c_str()));
    const std::string linked = dataFile("linked.txt", "h");
    ASSERT_EQ(0, ::link(linked.c_str(), data.file("second-name.txt").c_str()));
    const std::string warning = "hemwright-step: warning: ";
    const std::string fileWarnings =
        warning + link + ": it is a symbolic link: it will be replaced by a regular file, and the file it points to "
        "keeps the old content\n" + warning + linked + ": the file has 1 other name (hard links), which will keep "
        "the old content\n";
    struct WarningCase {
        std::vector<std::string> arguments;
        std::string standardError;
        std::string closingLine;
    };
    const std::vector<WarningCase> cases = {
        {{"--dry-run", "--prepend", "a", "--add-line-break"},
         fileWarnings + warning + "--add-line-break without --line-break-style: the line break after the prefix is "
         "CR LF (\\r\\n), on every system\n", "2 files would change, 6 bytes would be added, 3 warnings\n"},
        {{"--dry-run", "--prepend", "a", "--add-line-break", "--line-break-style", "unix"}, fileWarnings,
         "2 files would change, 4 bytes would be added, 2 warnings\n"},
        // Nothing to add: hemwright changes no file, so nothing to warn of.
        {{"--dry-run", "--prepend", "", "--add-line-break"}, "",
         "0 files would change, 0 bytes would be added, 0 warnings\n"},
    };
    for (const WarningCase& warningCase : cases) {
        SCOPED_TRACE(warningCase.arguments.size());
        std::vector<std::string> arguments = warningCase.arguments;
        arguments.insert(arguments.end(), {link, linked});
        const StepResult result = run(arguments);
        EXPECT_EQ(0, result.exitStatus);
        EXPECT_EQ(warningCase.standardError, result.standardError);
        EXPECT_EQ(warningCase.closingLine, lastLine(result.standardOutput));
    }
    EXPECT_EQ("t", readBytes(link));
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
              "a warning.\n0 files would change, 0 bytes would be added, 0 warnings\n",
              result.standardOutput);
}

}  // namespace
