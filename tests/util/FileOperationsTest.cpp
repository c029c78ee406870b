#include "util/FileOperations.h"

#include "tests/support/FileAttributes.h"
#include "tests/support/TestFiles.h"
#include "util/CrException.h"
#include "util/platform/Platform.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>

using testing_support::FileSizeLimit;
using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
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
    ScopedTempDir dir;
    const std::string path = dir.file(kTooLongName);
    EXPECT_EQ("Failed to determine if '" + path + "' exists. Reason: File name too long",
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
    EXPECT_EQ("Failed to move the file '" + source + "' to '" + nowhere + "'. Reason: No such file or directory.",
              failureOf([&] { ostrel::moveFile(source, nowhere, true); }));

    fs::create_directories(dir.file("full/inside"));
    const std::string directory = dir.file("full");
    EXPECT_EQ("Failed to move the file '" + source + "' to '" + directory + "'. Reason: Is a directory.",
              failureOf([&] { ostrel::moveFile(source, directory, true); }));
    EXPECT_EQ("s", readBytes(source));
    EXPECT_EQ((std::vector<std::string>{"full", "source"}), listDirectory(dir.path()));
}

// Another volume: the move copies, and the copy must keep what the rename
// would have kept and leave nothing behind when it fails.
TEST(MoveFileTest, MoveToAnotherVolumeKeepsWhoMayUseTheFileAndLeavesNoStagingFile) {
    ScopedTempDir here;
    struct stat hereInfo {};
    struct stat shmInfo {};
    if (::stat("/dev/shm", &shmInfo) != 0 || ::stat(here.path().c_str(), &hereInfo) != 0 ||
        shmInfo.st_dev == hereInfo.st_dev) {
        GTEST_SKIP() << "needs /dev/shm on another file system than the temporary directory";
    }
    ScopedTempDir there("/dev/shm");
    const std::string destination = here.file("destination");
    testing_support::forEachAccessCase([&](const testing_support::AccessCase& c) {
        const std::string source = there.file("source");
        writeBytes(source, "moved");
        c.setUp(there.path(), source);
        writeBytes(destination, "old");
        const testing_support::FileFacts before = testing_support::factsOf(source);
        EXPECT_TRUE(ostrel::moveFile(source, destination, true));
        testing_support::expectAccessKept(before, testing_support::factsOf(destination), c.notKept);
        EXPECT_EQ("moved", readBytes(destination));
        EXPECT_TRUE(listDirectory(there.path()).empty());
        EXPECT_EQ(std::vector<std::string>{"destination"}, listDirectory(here.path()));
        ::removexattr(there.path().c_str(), "system.posix_acl_default");
    });

    // A copy that fails half way (a full disk) leaves both names as they were.
    const std::string source = there.file("large");
    const std::string content(256 << 10, 'x');
    writeBytes(source, content);
    std::string message;
    {
        const FileSizeLimit full(64 << 10);
        message = failureOf([&] { ostrel::moveFile(source, destination, true); });
    }
    EXPECT_EQ("Failed to move the file '" + source + "' to '" + destination + "'. Reason: File too large.", message);
    EXPECT_EQ(content, readBytes(source));
    EXPECT_EQ("moved", readBytes(destination));
    EXPECT_EQ(std::vector<std::string>{"destination"}, listDirectory(here.path()));
}

TEST(RemoveFileTest, RemovesExistingFilesIgnoresMissingOnesAndReportsFailures) {
    ScopedTempDir dir;
    writeBytes(dir.file("a"), "a");
    ostrel::removeFile(dir.file("a"));
    EXPECT_FALSE(fs::exists(dir.file("a")));
    ostrel::removeFile(dir.file("a"));

    fs::create_directories(dir.file("d/e"));
    const std::string directory = dir.file("d");
    EXPECT_EQ("Failed to remove the file '" + directory + "'. Reason: Is a directory.",
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
    EXPECT_EQ("d/", ostrel::parentDirectory("d/a\\b.xml"));
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

// Whatever holds the name is replaced, never followed or opened, and the new
// file gets what any freshly created file gets.
TEST(WriteFileTest, ReplacesWhateverHoldsTheNameWithAFreshFile) {
    ScopedTempDir dir;
    const std::string path = dir.file("output.xml");
    writeBytes(dir.file("target"), "someone else's");
    ASSERT_EQ(0, ::symlink(dir.file("target").c_str(), path.c_str()));
    const mode_t previousMask = ::umask(027);
    ostrel::writeFile(path, "<a/>", true);
    struct stat info {};
    ASSERT_EQ(0, ::lstat(path.c_str(), &info));
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(0640u, info.st_mode & 07777);
    EXPECT_EQ("someone else's", readBytes(dir.file("target")));

    ASSERT_EQ(0, ::unlink(path.c_str()));
    ASSERT_EQ(0, ::mkfifo(path.c_str(), 0600));
    ::umask(0);
    ostrel::writeFile(path, "<b/>", true);  // would block for ever on opening the FIFO
    ::umask(previousMask);
    ASSERT_EQ(0, ::lstat(path.c_str(), &info));
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(0666u, info.st_mode & 07777);
    EXPECT_EQ("<b/>", readBytes(path));
    EXPECT_EQ((std::vector<std::string>{"output.xml", "target"}), listDirectory(dir.path()));
}

TEST(WriteFileTest, FailureIsReportedWithTheSystemsReason) {
    ScopedTempDir dir;
    const std::string directory = dir.file("taken");
    fs::create_directories(directory + "/inside");
    EXPECT_EQ("Failed to write to file \"" + directory + "\". Is a directory",
              failureOf([&] { ostrel::writeFile(directory, "x", true); }));
    EXPECT_EQ(std::vector<std::string>{"taken"}, listDirectory(dir.path()));
}
