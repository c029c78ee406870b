#include "util/platform/FileHandle.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ostrel::platform;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::writeBytes;

namespace {

unsigned permissionsOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(0, ::stat(path.c_str(), &info)) << path;
    return info.st_mode & 07777;
}

}  // namespace

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
