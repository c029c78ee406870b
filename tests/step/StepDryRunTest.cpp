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
                  "3 files would change, 30 bytes would be added, 1 warning\n",
              result.standardOutput);
    EXPECT_EQ("hemwright-step: warning: 1 character of the text to prepend will be written as '?', since "
              "hemwright writes the added texts as single bytes (ISO 8859-1, up to U+00FF): U+20AC \xE2\x82\xAC\n",
              result.standardError);
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

// Bytes above 0x7F break a file that looks like UTF-8 (a byte-order mark,
// or UTF-8 beyond ASCII in its first 64 KiB); a file of ASCII only, or with
// bytes that are not UTF-8, gets no warning of its own. Characters above
// U+00FF become '?'.
TEST_F(StepDryRunTest, EncodingWarningsArePerFileAndCounted) {
    const std::string marked = dataFile("marked.csv", "\xEF\xBB\xBF" "a;b\n");
    const std::string utf8 = dataFile("utf8.csv", std::string(1000, 'x') + "caf\xC3\xA9\n");
    const std::string late = dataFile("late.csv", std::string(64 * 1024, 'x') + "caf\xC3\xA9\n");
    // UTF-8 at the start, and a sequence cut by the end of the first 64 KiB.
    const std::string cut = dataFile("cut.csv", "caf\xC3\xA9" + std::string(64 * 1024 - 6, 'x') + "\xC3\xA9\n");
    const std::string ascii = dataFile("ascii.csv", "a;b\n");
    const std::string latin1 = dataFile("latin1.csv", "caf\xE9 \xC3\xA9\n");
    const std::string warning = "hemwright-step: warning: ";
    const auto looksUtf8 = [&](const std::string& file, const std::string& why) {
        return warning + file + ": the file looks like UTF-8 (" + why + "), but hemwright writes the added texts as "
               "single bytes (ISO 8859-1), some above 0x7F (\xC3\xA9 as the byte 0xE9): the file will no longer be "
               "valid UTF-8\n";
    };
    struct EncodingCase {
        std::vector<std::string> texts;
        std::string standardError;
        std::string closingLine;
    };
    const std::vector<EncodingCase> cases = {
        {{"--prepend", "\xC3\xA9 "},
         looksUtf8(marked, "it begins with a UTF-8 byte-order mark") +
             looksUtf8(utf8, "it holds UTF-8 characters beyond ASCII") +
             looksUtf8(cut, "it holds UTF-8 characters beyond ASCII"),
         "6 files would change, 12 bytes would be added, 3 warnings\n"},
        {{"--prepend", "\xE2\x86\x92 ok \xE2\x9C\x93\xE2\x9C\x93", "--append", "\xF0\x9F\x98\x80"},
         warning + "3 characters of the text to prepend will be written as '?', since hemwright writes the added "
         "texts as single bytes (ISO 8859-1, up to U+00FF): U+2192 \xE2\x86\x92, U+2713 \xE2\x9C\x93\n" +
         warning + "1 character of the text to append will be written as '?', since hemwright writes the added "
         "texts as single bytes (ISO 8859-1, up to U+00FF): U+1F600 \xF0\x9F\x98\x80\n",
         "6 files would change, 48 bytes would be added, 2 warnings\n"},
        {{"--prepend", "ascii "}, "", "6 files would change, 36 bytes would be added, 0 warnings\n"},
    };
    for (const EncodingCase& encoding : cases) {
        SCOPED_TRACE(encoding.texts[1]);
        std::vector<std::string> arguments = {"--dry-run"};
        arguments.insert(arguments.end(), encoding.texts.begin(), encoding.texts.end());
        arguments.insert(arguments.end(), {marked, utf8, late, cut, ascii, latin1});
        const StepResult result = run(arguments);
        EXPECT_EQ(0, result.exitStatus);
        EXPECT_EQ(encoding.standardError, result.standardError);
        EXPECT_EQ(encoding.closingLine, lastLine(result.standardOutput));
    }
}

// --skip-stamped: a file that already begins with the prefix and ends with
// the suffix as hemwright writes them (line breaks of the style, the added
// line break, single bytes) is named as one to skip.
TEST_F(StepDryRunTest, StampedFilesAreNamedAsSkipped) {
    const std::string stamped = dataFile("stamped.txt", "# H\xE9\r\n\r\nbody\r\n-- end");
    const std::string unstamped = dataFile("unstamped.txt", "# H\xE9\nbody\n-- end");
    const std::string halfway = dataFile("halfway.txt", "# H\xE9\r\n\r\nbody");
    const StepResult result = run({"--dry-run", "--skip-stamped", "--prepend", "# H\xC3\xA9\n", "--append",
                                   "\n-- end", "--line-break-style", "windows", "--add-line-break", stamped,
                                   unstamped, halfway});
    EXPECT_EQ(0, result.exitStatus) << result.standardError;
    EXPECT_NE(std::string::npos, result.standardOutput.find(stamped + ": already stamped, would be skipped\n"))
        << result.standardOutput;
    EXPECT_NE(std::string::npos, result.standardOutput.find(unstamped + ": 16 bytes -> 32 bytes\n"));
    EXPECT_NE(std::string::npos, result.standardOutput.find(halfway + ": 12 bytes -> 28 bytes\n"));
    EXPECT_EQ("2 files would change, 32 bytes would be added, 1 file would be skipped (already stamped), 0 warnings\n",
              lastLine(result.standardOutput));
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
