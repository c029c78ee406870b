#include "util/FileOperations.h"

#include "tests/support/TestFiles.h"
#include "util/CrException.h"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::writeBytes;

namespace fs = boost::filesystem;

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

}  // namespace

TEST(FileExistsTest, AnswersForFilesDirectoriesAndSeparators) {
    ScopedTempDir dir;
    writeBytes(dir.file("a.txt"), "a");
    EXPECT_TRUE(ostrel::fileExists(dir.file("a.txt")));
    EXPECT_TRUE(ostrel::fileExists(dir.path()));
    EXPECT_TRUE(ostrel::fileExists(dir.path() + "/"));
    EXPECT_TRUE(ostrel::fileExists(dir.path() + "\\"));
    EXPECT_TRUE(ostrel::fileExists("/"));
    EXPECT_TRUE(ostrel::fileExists("\\"));
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
    EXPECT_TRUE(ostrel::directoryExists(dir.path() + "//\\"));
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
    EXPECT_EQ("Failed to move the file '" + source + "' to '" + nowhere +
                  "'. Reason: boost::filesystem::rename: No such file or directory: \"" + source + "\", \"" +
                  nowhere + "\".",
              failureOf([&] { ostrel::moveFile(source, nowhere, true); }));

    fs::create_directories(dir.file("full/inside"));
    const std::string directory = dir.file("full");
    EXPECT_EQ("Failed to move the file '" + source + "' to '" + directory +
                  "'. Reason: boost::filesystem::rename: Is a directory: \"" + source + "\", \"" + directory +
                  "\".",
              failureOf([&] { ostrel::moveFile(source, directory, true); }));
    EXPECT_EQ("s", readBytes(source));
    EXPECT_EQ((std::vector<std::string>{"full", "source"}), listDirectory(dir.path()));
}

TEST(RemoveFileTest, RemovesExistingFilesIgnoresMissingOnesAndReportsFailures) {
    ScopedTempDir dir;
    writeBytes(dir.file("a"), "a");
    ostrel::removeFile(dir.file("a"));
    EXPECT_FALSE(fs::exists(dir.file("a")));
    ostrel::removeFile(dir.file("a"));

    fs::create_directories(dir.file("d/e"));
    const std::string directory = dir.file("d");
    EXPECT_EQ("Failed to remove the file '" + directory +
                  "'. Reason: boost::filesystem::remove: Directory not empty: \"" + directory + "\".",
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
    EXPECT_EQ("a/b/", ostrel::parentDirectory("a\\b\\c.txt"));
    EXPECT_EQ("/x/y/", ostrel::parentDirectory("/x/y/z"));
    EXPECT_EQ("a\\b\\", ostrel::parentDirectory("a\\b\\"));
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

TEST(WriteFileTest, StreamFailureIsReportedWithItsDescription) {
    ScopedTempDir dir;
    EXPECT_EQ("Failed to write to file \"" + dir.path() + "\". basic_ios::clear: iostream error",
              failureOf([&] { ostrel::writeFile(dir.path(), "x", true); }));
}
