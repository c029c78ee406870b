#include "util/AutoDeleteFileSet.h"

#include "tests/support/SystemErrors.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

using testing_support::listDirectory;
using testing_support::ScopedTempDir;
using testing_support::writeBytes;

namespace fs = std::filesystem;

TEST(AutoDeleteFileSetTest, DeletesHeldFilesOnEveryWayOutOfScope) {
    ScopedTempDir dir;
    writeBytes(dir.file("a"), "a");
    writeBytes(dir.file("b"), "b");
    writeBytes(dir.file("kept"), "k");
    {
        ostrel::AutoDeleteFileSet files(false, true);
        files.addFile(dir.file("a"));
        files.addFile(dir.file("never-created"));
    }
    EXPECT_EQ((std::vector<std::string>{"b", "kept"}), listDirectory(dir.path()));

    try {
        ostrel::AutoDeleteFileSet files(false, true);
        files.addFile(dir.file("b"));
        throw std::runtime_error("work failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(std::vector<std::string>{"kept"}, listDirectory(dir.path()));

    {
        ostrel::AutoDeleteFileSet files(false, false);
        files.addFile(dir.file("kept"));
    }
    EXPECT_EQ(std::vector<std::string>{"kept"}, listDirectory(dir.path()));
}

TEST(AutoDeleteFileSetTest, RemovesParentDirectoriesWhenAsked) {
    ScopedTempDir dir;
    fs::create_directories(dir.file("work/sub"));
    writeBytes(dir.file("work/sub/file"), "f");
    {
        ostrel::AutoDeleteFileSet files(true, true);
        files.addFile(dir.file("work/sub/file"));
    }
    EXPECT_EQ(std::vector<std::string>{"work"}, listDirectory(dir.path()));
    EXPECT_TRUE(listDirectory(dir.file("work")).empty());
}

TEST(AutoDeleteFileSetTest, GivesUpAnUndeletablePathOnceWithANote) {
    ScopedTempDir dir;
    // A non-empty directory cannot be removed as a file: each attempt fails.
    fs::create_directories(dir.file("busy/inside"));
    const std::string busy = dir.file("busy");
    testing::internal::CaptureStderr();
    {
        ostrel::AutoDeleteFileSet files(false, true);
        files.addFile(busy);
        files.addFile(busy);
    }
    const std::string note = "Failed to remove the file '" + busy + "'. Reason: " +
                             testing_support::reasonSentence(testing_support::SystemError::DirectoryInTheWay) +
                             "\nTried 11 times before giving up and ignoring the error...\n";
    EXPECT_EQ(note, testing::internal::GetCapturedStderr());
    EXPECT_TRUE(fs::exists(busy + "/inside"));
}
