#include "util/platform/FileHandle.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <boost/filesystem.hpp>

using namespace ostrel::platform;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::writeBytes;

namespace fs = boost::filesystem;

namespace {

unsigned permissionsOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(0, ::stat(path.c_str(), &info)) << path;
    return info.st_mode & 07777;
}

}  // namespace

TEST(FileHandleTest, OpensOnlyRegularFilesAndNeverBlocks) {
    ScopedTempDir dir;
    writeBytes(dir.file("plain"), "x");
    ASSERT_EQ(0, ::chmod(dir.file("plain").c_str(), 0640));
    ASSERT_EQ(0, ::mkfifo(dir.file("fifo").c_str(), 0600));

    FileHandle file;
    FileAccess access;
    EXPECT_EQ(OpenResult::Opened, file.openForReading(dir.file("plain"), access));
    EXPECT_EQ(0640u, access.permissions);
    EXPECT_TRUE(file.isOpen());
    EXPECT_EQ(OpenResult::NotRegularFile, file.openForReading(dir.path(), access));
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(OpenResult::NotRegularFile, file.openForReading(dir.file("fifo"), access));
    EXPECT_EQ(OpenResult::NotRegularFile, file.openForReading("/dev/null", access));
    EXPECT_EQ(OpenResult::NotFound, file.openForReading(dir.file("missing"), access));
    EXPECT_EQ(OpenResult::NotFound, file.openForReading(dir.file("plain/below"), access));
    EXPECT_EQ(OpenResult::Failed, file.openForReading(dir.file(std::string(300, 'n')), access));
}

TEST(FileHandleTest, ExclusiveCreationIsPrivateAndNeverOpensAnExistingFile) {
    ScopedTempDir dir;
    const mode_t oldMask = ::umask(0);
    FileHandle file;
    EXPECT_EQ(CreateResult::Created, file.createExclusive(dir.file("new")));
    ::umask(oldMask);
    EXPECT_EQ(0600u, permissionsOf(dir.file("new")));

    writeBytes(dir.file("taken"), "keep me");
    FileHandle other;
    EXPECT_EQ(CreateResult::AlreadyExists, other.createExclusive(dir.file("taken")));
    EXPECT_EQ(CreateResult::AlreadyExists, other.createExclusive(dir.path()));
    EXPECT_FALSE(other.isOpen());
    EXPECT_EQ("keep me", readBytes(dir.file("taken")));
    EXPECT_EQ(CreateResult::Failed, other.createExclusive(dir.file("missing/new")));
}

TEST(FileHandleTest, CopiesTheRemainderAfterWhatWasWrittenAndAppliesAccess) {
    ScopedTempDir dir;
    std::string content;
    for (int i = 0; content.size() < 600000; ++i) {
        content += std::to_string(i) + (i % 7 == 0 ? "\r\n" : ",");
    }
    writeBytes(dir.file("in"), content);
    ASSERT_EQ(0, ::chmod(dir.file("in").c_str(), 0754));

    FileHandle input;
    FileAccess access;
    ASSERT_EQ(OpenResult::Opened, input.openForReading(dir.file("in"), access));
    FileHandle output;
    ASSERT_EQ(CreateResult::Created, output.createExclusive(dir.file("out")));
    EXPECT_TRUE(output.writeAll("head"));
    EXPECT_EQ(CopyResult::Copied, output.copyRemainderFrom(input));
    EXPECT_EQ(CopyResult::Copied, output.copyRemainderFrom(input));  // at the end: nothing more
    EXPECT_TRUE(output.writeAll(std::string("tail\0", 5)));
    access.owner = 1234;
    access.group = 5678;
    EXPECT_TRUE(output.applyAccess(access));
    EXPECT_TRUE(output.close());
    EXPECT_TRUE(output.close());
    EXPECT_FALSE(output.writeAll("late"));

    EXPECT_EQ("head" + content + std::string("tail\0", 5), readBytes(dir.file("out")));
    EXPECT_EQ(0754u, permissionsOf(dir.file("out")));
    struct stat info {};
    ASSERT_EQ(0, ::stat(dir.file("out").c_str(), &info));
    EXPECT_EQ(1234u, info.st_uid);
    EXPECT_EQ(5678u, info.st_gid);
}

TEST(FileHandleTest, CopiesFromFilesTheKernelCannotCopy) {
    // procfs files report no size and refuse the in-kernel copy, so the
    // buffered path must carry their content.
    ScopedTempDir dir;
    FileHandle input;
    FileAccess access;
    ASSERT_EQ(OpenResult::Opened, input.openForReading("/proc/self/status", access));
    FileHandle output;
    ASSERT_EQ(CreateResult::Created, output.createExclusive(dir.file("out")));
    EXPECT_EQ(CopyResult::Copied, output.copyRemainderFrom(input));
    EXPECT_TRUE(output.close());
    EXPECT_EQ(0u, readBytes(dir.file("out")).find("Name:"));
}
