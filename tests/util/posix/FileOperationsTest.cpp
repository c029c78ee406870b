// What moving and writing files does with what only POSIX systems have:
// permission bits, owners, ACLs and extended attributes kept across volumes,
// symbolic links and FIFOs in the way, the umask.
#include "util/FileOperations.h"

#include "tests/support/TestFiles.h"
#include "tests/support/posix/FileAttributes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::writeBytes;

// Another volume (a tmpfs): the move copies, and the copy must keep what the
// rename would have kept and leave no staging file. (A copy that fails half
// way: MoveFileTest.CopyToAnotherVolumeThatFailsHalfWayLeavesBothNamesAsTheyWere.)
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
