// What the POSIX file handle does with what only POSIX systems have: the
// permission bits of a private file, and the kernel copy with its fallbacks.
#include "util/platform/FileHandle.h"

#include "tests/support/TestFiles.h"
#include "tests/support/posix/SystemCallFaults.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace ostrel::platform;
using testing_support::readBytes;
using testing_support::SystemCallFaults;
using testing_support::SystemFault;
using testing_support::ScopedTempDir;
using testing_support::writeBytes;

TEST(FileHandleTest, ExclusiveCreationIsPrivate) {
    ScopedTempDir dir;
    const mode_t oldMask = ::umask(0);
    FileHandle file;
    EXPECT_EQ(CreateResult::Created, file.createExclusive(dir.file("new")));
    ::umask(oldMask);
    struct stat info {};
    ASSERT_EQ(0, ::stat(dir.file("new").c_str(), &info));
    EXPECT_EQ(0600u, info.st_mode & 07777);
}

TEST(FileHandleTest, CopyCarriesEveryByteWhateverTheKernelCopyDoes) {
    // Larger than the fallback's buffer, with a pattern that shows a lost or
    // repeated piece.
    std::string content;
    for (int i = 0; content.size() < (600u << 10); ++i) {
        content += std::to_string(i) + ' ';
    }
    for (const SystemFault fault : {SystemFault::None, SystemFault::KernelCopyRefused,
                                    SystemFault::KernelCopyFindsNothing, SystemFault::WriteInterruptedOnce}) {
        SCOPED_TRACE(static_cast<int>(fault));
        ScopedTempDir dir;
        writeBytes(dir.file("in"), content);
        FileHandle input;
        FileHandle output;
        FileAccess access;
        FileExtent extent;
        ASSERT_EQ(OpenResult::Opened, input.openForReading(dir.file("in"), access, extent));
        ASSERT_EQ(CreateResult::Created, output.createExclusive(dir.file("out")));
        {
            const SystemCallFaults faults(fault);
            ASSERT_TRUE(output.writeAll("<"));
            EXPECT_EQ(CopyResult::Copied, output.copyRemainderFrom(input));
            ASSERT_TRUE(output.writeAll(">"));
        }
        EXPECT_TRUE(output.close());
        EXPECT_TRUE(readBytes(dir.file("out")) == "<" + content + ">");
    }
}
