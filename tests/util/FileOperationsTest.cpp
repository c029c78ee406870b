#include "util/FileOperations.h"

#include "tests/support/FileSystemFaults.h"
#include "tests/support/SystemErrors.h"
#include "tests/support/TestFiles.h"
#include "util/CrException.h"
#include "util/platform/Platform.h"

#include <gtest/gtest.h>

#include <filesystem>

using testing_support::FileSystemFault;
using testing_support::FileSystemFaults;
using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::SystemError;
using testing_support::reasonSentence;
using testing_support::systemReason;
using testing_support::writeBytes;

namespace fs = std::filesystem;

namespace {

// The message of the CrException that call throws; fails the test if none.
template <typename Call>
std::string failureOf(Call call) {
    try {
        call();
    } catch (const ostrel::CrException& failure) {
        EXPECT_EQ(ostrel::E_FAIL, failure.getCode());
        return failure.getMessage();
    }
    ADD_FAILURE() << "no CrException";
    return std::string();
}

const std::string kTooLongName(300, 'n');

// Whether '\\' separates path components here (Windows) or is part of a name
// (POSIX).
const bool kBackslashSeparates = ostrel::platform::isPathSeparator('\\');

}  // namespace

TEST(FileExistsTest, AnswersForFilesDirectoriesAndSeparators) {
    ScopedTempDir dir;
    writeBytes(dir.file("a.txt"), "a");
    EXPECT_TRUE(ostrel::fileExists(dir.file("a.txt")));
    EXPECT_TRUE(ostrel::fileExists(dir.path()));
    EXPECT_TRUE(ostrel::fileExists(dir.path() + "/"));
    EXPECT_EQ(kBackslashSeparates, ostrel::fileExists(dir.path() + "\\"));
    EXPECT_TRUE(ostrel::fileExists("/"));
    EXPECT_EQ(kBackslashSeparates, ostrel::fileExists("\\"));
    EXPECT_FALSE(ostrel::fileExists(""));
    EXPECT_FALSE(ostrel::fileExists(dir.file("missing")));
    EXPECT_FALSE(ostrel::fileExists(dir.file("missing/below")));
}

TEST(FileExistsTest, FailedStatusQueryThrowsWithReason) {
    if (testing_support::runningUnderWine()) {
        GTEST_SKIP() << "Wine's CreateFileW reports a name longer than the file system takes as missing "
                        "(ERROR_FILE_NOT_FOUND), so the status query does not fail";
    }
    ScopedTempDir dir;
    const std::string path = dir.file(kTooLongName);
    EXPECT_EQ("Failed to determine if '" + path + "' exists. Reason: " + systemReason(SystemError::NameTooLong),
              failureOf([&] { ostrel::fileExists(path + "/"); }));
}

TEST(DirectoryExistsTest, OnlyDirectoriesCountAndTrailingSeparatorsAreIgnored) {
    ScopedTempDir dir;
    writeBytes(dir.file("a.txt"), "a");
    EXPECT_TRUE(ostrel::directoryExists(dir.path()));
    EXPECT_TRUE(ostrel::directoryExists(dir.path() + "//"));
    EXPECT_EQ(kBackslashSeparates, ostrel::directoryExists(dir.path() + "//\\"));
    EXPECT_FALSE(ostrel::directoryExists(dir.file("a.txt")));
    EXPECT_FALSE(ostrel::directoryExists(dir.file("missing")));
    EXPECT_FALSE(ostrel::directoryExists(""));
    EXPECT_FALSE(ostrel::directoryExists("///"));
    EXPECT_FALSE(ostrel::directoryExists(dir.file(kTooLongName)));
}

TEST(MoveFileTest, MovesToNewNameAndLeavesSameFileAlone) {
    ScopedTempDir dir;
    writeBytes(dir.file("a"), "content");
    EXPECT_TRUE(ostrel::moveFile(dir.file("a"), dir.file("b"), false));
    EXPECT_EQ(std::vector<std::string>{"b"}, listDirectory(dir.path()));
    EXPECT_EQ("content", readBytes(dir.file("b")));

    EXPECT_TRUE(ostrel::moveFile(dir.file("b"), dir.file("b"), true));
    EXPECT_EQ("content", readBytes(dir.file("b")));
}

TEST(MoveFileTest, ExistingDestinationIsKeptWithoutOverwriteAndReplacedWholeWithIt) {
    ScopedTempDir dir;
    writeBytes(dir.file("source"), "new");
    writeBytes(dir.file("destination"), "old");
    EXPECT_FALSE(ostrel::moveFile(dir.file("source"), dir.file("destination"), false));
    EXPECT_EQ("new", readBytes(dir.file("source")));
    EXPECT_EQ("old", readBytes(dir.file("destination")));

    // A second link to the old destination shows that its file was replaced
    // by another one, not emptied and refilled.
    fs::create_hard_link(dir.file("destination"), dir.file("old-link"));
    EXPECT_TRUE(ostrel::moveFile(dir.file("source"), dir.file("destination"), true));
    EXPECT_EQ("new", readBytes(dir.file("destination")));
    EXPECT_EQ("old", readBytes(dir.file("old-link")));
    EXPECT_EQ((std::vector<std::string>{"destination", "old-link"}), listDirectory(dir.path()));
}

TEST(MoveFileTest, FailuresNameBothPathsAndTheCause) {
    ScopedTempDir dir;
    const std::string missing = dir.file("missing");
    const std::string target = dir.file("target");
    EXPECT_EQ("Failed to move the file '" + missing + "' to '" + target + "'. The source file does not exist.",
              failureOf([&] { ostrel::moveFile(missing, target, true); }));

    writeBytes(dir.file("source"), "s");
    const std::string source = dir.file("source");
    const std::string nowhere = dir.file("no-such-directory/target");
    EXPECT_EQ("Failed to move the file '" + source + "' to '" + nowhere + "'. Reason: " +
                  reasonSentence(SystemError::PathNotFound),
              failureOf([&] { ostrel::moveFile(source, nowhere, true); }));

    fs::create_directories(dir.file("full/inside"));
    const std::string directory = dir.file("full");
    EXPECT_EQ("Failed to move the file '" + source + "' to '" + directory + "'. Reason: " +
                  reasonSentence(SystemError::DirectoryInTheWay),
              failureOf([&] { ostrel::moveFile(source, directory, true); }));
    EXPECT_EQ("s", readBytes(source));
    EXPECT_EQ((std::vector<std::string>{"full", "source"}), listDirectory(dir.path()));
}

// Another volume: the rename is refused and the move copies. A copy that
// fails half way (a full disk) leaves both names as they were and no staging
// file.
TEST(MoveFileTest, CopyToAnotherVolumeThatFailsHalfWayLeavesBothNamesAsTheyWere) {
    ScopedTempDir dir;
    const std::string source = dir.file("large");
    const std::string destination = dir.file("destination");
    const std::string content(256 << 10, 'x');
    writeBytes(source, content);
    writeBytes(destination, "old");
    std::string message;
    {
        const FileSystemFaults acrossVolumes(FileSystemFault::RenameAcrossVolumes);
        const FileSystemFaults full(FileSystemFault::DiskFull, 64 << 10);
        message = failureOf([&] { ostrel::moveFile(source, destination, true); });
    }
    EXPECT_EQ("Failed to move the file '" + source + "' to '" + destination + "'. Reason: " +
                  reasonSentence(SystemError::DiskFull),
              message);
    EXPECT_EQ(content, readBytes(source));
    EXPECT_EQ("old", readBytes(destination));
    EXPECT_EQ((std::vector<std::string>{"destination", "large"}), listDirectory(dir.path()));
}

TEST(RemoveFileTest, RemovesExistingFilesIgnoresMissingOnesAndReportsFailures) {
    ScopedTempDir dir;
    writeBytes(dir.file("a"), "a");
    ostrel::removeFile(dir.file("a"));
    EXPECT_FALSE(fs::exists(dir.file("a")));
    ostrel::removeFile(dir.file("a"));

    fs::create_directories(dir.file("d/e"));
    const std::string directory = dir.file("d");
    EXPECT_EQ("Failed to remove the file '" + directory + "'. Reason: " + reasonSentence(SystemError::DirectoryInTheWay),
              failureOf([&] { ostrel::removeFile(directory); }));
}

TEST(RemoveDirectoryTest, RemovesTheWholeTreeAndLeavesFilesAlone) {
    ScopedTempDir dir;
    fs::create_directories(dir.file("d/e"));
    writeBytes(dir.file("d/e/f"), "f");
    writeBytes(dir.file("plain"), "p");
    ostrel::removeDirectory(dir.file("d"));
    ostrel::removeDirectory(dir.file("d"));
    ostrel::removeDirectory(dir.file("plain"));
    EXPECT_EQ(std::vector<std::string>{"plain"}, listDirectory(dir.path()));
}

TEST(ParentDirectoryTest, KeepsTheLastSeparatorAndTurnsBackslashesIntoSlashes) {
    EXPECT_EQ(kBackslashSeparates ? "a/b/" : "", ostrel::parentDirectory("a\\b\\c.txt"));
    EXPECT_EQ(kBackslashSeparates ? "a\\b\\" : "", ostrel::parentDirectory("a\\b\\"));
    EXPECT_EQ(kBackslashSeparates ? "d/a/" : "d/", ostrel::parentDirectory("d/a\\b.xml"));
    EXPECT_EQ("/x/y/", ostrel::parentDirectory("/x/y/z"));
    EXPECT_EQ("", ostrel::parentDirectory("c.txt"));
    EXPECT_EQ("/", ostrel::parentDirectory("/c.txt"));
}

TEST(WriteFileTest, WritesBytesUnchangedTruncatingOrAppending) {
    ScopedTempDir dir;
    const std::string path = dir.file("out.xml");
    const std::string bytes("a\r\nb\0c\n", 7);
    ostrel::writeFile(path, "old content that is longer", true);
    ostrel::writeFile(path, bytes, true);
    EXPECT_EQ(bytes, readBytes(path));
    ostrel::writeFile(path, "tail", true, true);
    EXPECT_EQ(bytes + "tail", readBytes(path));
    ostrel::writeFile(path, "", true);
    EXPECT_EQ("", readBytes(path));
}

TEST(WriteFileTest, FailureIsReportedWithTheSystemsReason) {
    ScopedTempDir dir;
    const std::string directory = dir.file("taken");
    fs::create_directories(directory + "/inside");
    EXPECT_EQ("Failed to write to file \"" + directory + "\". " + systemReason(SystemError::DirectoryInTheWay),
              failureOf([&] { ostrel::writeFile(directory, "x", true); }));
    EXPECT_EQ(std::vector<std::string>{"taken"}, listDirectory(dir.path()));

    // A full disk: the old file stays whole, and no temporary file is left.
    const std::string path = dir.file("output.xml");
    writeBytes(path, "old");
    {
        const FileSystemFaults full(FileSystemFault::DiskFull, 2);
        EXPECT_EQ("Failed to write to file \"" + path + "\". " + systemReason(SystemError::DiskFull),
                  failureOf([&] { ostrel::writeFile(path, "<new/>", true); }));
    }
    EXPECT_EQ("old", readBytes(path));
    EXPECT_EQ((std::vector<std::string>{"output.xml", "taken"}), listDirectory(dir.path()));

    // Its content not made durable: the old file stays; its name not made
    // durable: the new file is in place, but the write is not reported done.
    for (const auto& [fault, after] : {std::pair(FileSystemFault::FlushFails, "old"),
                                       std::pair(FileSystemFault::NamesFlushFails, "<new/>")}) {
        const FileSystemFaults faults(fault);
        EXPECT_EQ("Failed to write to file \"" + path + "\". " + systemReason(SystemError::InputOutput),
                  failureOf([&] { ostrel::writeFile(path, "<new/>", true); }));
        EXPECT_EQ(after, readBytes(path));
        EXPECT_EQ((std::vector<std::string>{"output.xml", "taken"}), listDirectory(dir.path()));
    }
}
