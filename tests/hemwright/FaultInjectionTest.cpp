// Runs the executable as the host does while the environment fails under it:
// input files that vanished or are not regular files, an output.xml that
// cannot be written, a standard output nobody reads, a second run on the same
// file. Each test checks the exit code the host sees, the message, and that
// no data was lost: failed files keep their bytes, no temporary file is left,
// files listed after a failing one are untouched, earlier ones stay
// rewritten. The faults only POSIX systems can provoke (a full disk, memory
// that runs out, other users, links, writers at work) are in
// posix/FaultInjectionTest.cpp.
#include "tests/hemwright/FaultInjectionTest.h"
#include "tests/support/HostRunner.h"
#include "tests/support/InputDocument.h"
#include "tests/support/SystemErrors.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

using testing_support::exitCodeSeenByHost;
using testing_support::HostRun;
using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::SystemError;
using testing_support::reasonSentence;
using testing_support::writeBytes;

namespace {

// --- Input files that cannot be read -------------------------------------

TEST_F(FaultInjectionTest, FileThatVanishedAfterListingFailsAndLaterFilesStayUntouched) {
    writeBytes(work.file("1.txt"), "one");
    writeBytes(work.file("3.txt"), "three");
    writeInput(prefixAndSuffix("&lt;", "&gt;"), {work.file("1.txt"), work.file("2-gone.txt"), work.file("3.txt")});

    EXPECT_EQ(exitCodeSeenByHost(2001), run().exitStatus);
    EXPECT_EQ("Failed to open input file '" + work.file("2-gone.txt") + "'. Reason: " +
                  reasonSentence(SystemError::FileNotFound),
              errorLog());
    EXPECT_EQ("<one>", readBytes(work.file("1.txt")));
    EXPECT_EQ("three", readBytes(work.file("3.txt")));
    EXPECT_EQ((std::vector<std::string>{"1.txt", "3.txt", "input.xml", "output.xml"}), entries());
}

TEST_F(FaultInjectionTest, InputThatIsNotARegularFileIsRefusedWithoutWaitingOrChangingIt) {
    const std::string directory = work.file("dir");
    ASSERT_TRUE(std::filesystem::create_directory(directory));
    writeInput(prefixAndSuffix("A", "Z"), {directory});

    EXPECT_EQ(exitCodeSeenByHost(2001), run().exitStatus);
    EXPECT_EQ("Failed to open input file '" + directory + "'. Reason: " +
                  reasonSentence(SystemError::DirectoryOpened),
              errorLog());
    EXPECT_TRUE(std::filesystem::is_directory(directory));
    EXPECT_TRUE(listDirectory(directory).empty());
    EXPECT_EQ((std::vector<std::string>{"dir", "input.xml", "output.xml"}), entries());
}

// --- output.xml that cannot be written -----------------------------------

TEST_F(FaultInjectionTest, OutputDocumentThatIsADirectoryGives3002AfterSuccess) {
    writeBytes(work.file("a.txt"), "body");
    writeInput(prefixAndSuffix("[", "]"), {work.file("a.txt")});
    ASSERT_TRUE(std::filesystem::create_directory(work.file("output.xml")));

    const HostRun result = run();

    EXPECT_EQ(exitCodeSeenByHost(3002), result.exitStatus);
    EXPECT_EQ(0u, result.standardOutput.find("Failed to write to file \"output.xml\". ")) << result.standardOutput;
    EXPECT_EQ(1, std::count(result.standardOutput.begin(), result.standardOutput.end(), '\n'));
    EXPECT_EQ("[body]", readBytes(work.file("a.txt")));
    EXPECT_TRUE(listDirectory(work.file("output.xml")).empty());
}

TEST_F(FaultInjectionTest, OutputDocumentFailureAfterAPluginFailureKeepsThePluginsCode) {
    writeInput(prefixAndSuffix("[", "]"), {work.file("gone.txt")});
    ASSERT_TRUE(std::filesystem::create_directory(work.file("output.xml")));

    const HostRun result = run();

    EXPECT_EQ(exitCodeSeenByHost(2001), result.exitStatus);
    EXPECT_EQ(0u, result.standardOutput.find("Failed to write to file \"output.xml\". ")) << result.standardOutput;
    EXPECT_EQ((std::vector<std::string>{"input.xml", "output.xml"}), entries());
}

// The failure line goes to a standard output whose reader has gone: the
// write fails quietly and the exit code is still the table's.
TEST_F(FaultInjectionTest, ClosedStandardOutputDoesNotChangeTheExitCode) {
    writeBytes(work.file("a.txt"), "body");
    writeInput(prefixAndSuffix("[", "]"), {work.file("a.txt")});
    ASSERT_TRUE(std::filesystem::create_directory(work.file("output.xml")));
    testing_support::HostOptions options;
    options.standardOutputClosed = true;

    EXPECT_EQ(exitCodeSeenByHost(3002), run(options).exitStatus);
    EXPECT_EQ("[body]", readBytes(work.file("a.txt")));
}

// --- Other processes at work --------------------------------------------------

// Two steps at once on the same file: each stamp is either in the file or
// its step failed saying why; none is lost while its step reports success.
TEST_F(FaultInjectionTest, TwoRunsAtOnceOnOneFileNeverLoseAStampSilently) {
    const std::string path = work.file("shared.txt");
    const std::string content = lines("shared", 400000);  // about 6 MiB, so that the runs overlap
    writeBytes(path, content);
    testing_support::ScopedTempDir first;
    testing_support::ScopedTempDir second;
    writeBytes(first.file("input.xml"), testing_support::inputDocument(element("DataToPrepend", "[A]"), {path}));
    writeBytes(second.file("input.xml"), testing_support::inputDocument(element("DataToPrepend", "[B]"), {path}));
    int succeeded[2] = {0, 0};
    for (int round = 0; round < 5; ++round) {
        testing_support::HostProcess a(HEMWRIGHT_EXECUTABLE, first.path());
        testing_support::HostProcess b(HEMWRIGHT_EXECUTABLE, second.path());
        const testing_support::HostRun results[2] = {a.wait(), b.wait()};
        const std::string* folders[2] = {&first.path(), &second.path()};
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(results[i].exited);
            if (results[i].exitStatus == 0) {
                ++succeeded[i];
                continue;
            }
            EXPECT_EQ(exitCodeSeenByHost(2001), results[i].exitStatus);
            const std::string output = readBytes(*folders[i] + "/output.xml");
            EXPECT_TRUE(output.find(kChangedMeanwhile) != std::string::npos ||
                        output.find(kRewrittenElsewhere) != std::string::npos)
                << output;
        }
    }
    const std::string after = readBytes(path);
    EXPECT_EQ(static_cast<std::size_t>(succeeded[0]), occurrences(after, "[A]"));
    EXPECT_EQ(static_cast<std::size_t>(succeeded[1]), occurrences(after, "[B]"));
    EXPECT_EQ(content, after.substr(after.size() - content.size()));
    EXPECT_EQ(3u * static_cast<std::size_t>(succeeded[0] + succeeded[1]), after.size() - content.size());
    EXPECT_EQ((std::vector<std::string>{"shared.txt"}), entries());
}

}  // namespace
