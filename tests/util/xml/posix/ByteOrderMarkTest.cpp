// What removing the mark does with what only POSIX systems have: an
// immutable file, and permission bits, ACLs and attributes to keep.
#include "util/xml/ByteOrderMark.h"

#include "tests/support/TestFiles.h"
#include "tests/support/posix/FileAttributes.h"
#include "util/ErrorResolver.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

namespace ostrel::xml {
namespace {

using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::writeBytes;

const std::string kMark = "\xEF\xBB\xBF";

// Why removeByteOrderMark kept the mark of path.
std::string failureOf(const std::string& path) {
    const MarkRemoval removal = removeByteOrderMark(path);
    EXPECT_TRUE(removal.kept) << path;
    return removal.reason;
}

// A file that cannot be replaced keeps its mark and stays exactly as it was;
// the parser reads the mark itself.
TEST(ByteOrderMarkTest, FileThatCannotBeReplacedKeepsItsMark) {
    ScopedTempDir dir;
    const std::string path = dir.file("input.xml");
    writeBytes(path, kMark + "<a/>");
    const testing_support::ImmutableFile immutable(path);
    if (!immutable.made()) {
        GTEST_SKIP() << "the file cannot be made immutable here: " << immutable.refusal();
    }
    const std::string message = failureOf(path);
    EXPECT_NE(std::string::npos, message.find(ErrorResolver(0).resolve(EPERM, false))) << message;
    EXPECT_EQ(kMark + "<a/>", readBytes(path));
    EXPECT_EQ(std::vector<std::string>{"input.xml"}, listDirectory(dir.path()));
}

// input.xml may hold passwords: a 0600 file stays 0600, and whatever else
// says who may read it stays as the host left it.
// A file another process (here: this one) has open for writing keeps its
// mark and every byte.
TEST(ByteOrderMarkTest, FileOpenForWritingKeepsItsMark) {
    ScopedTempDir dir;
    const std::string path = dir.file("input.xml");
    writeBytes(path, "\xEF\xBB\xBF<a/>");
    const int writer = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    const MarkRemoval removal = removeByteOrderMark(path);
    ::close(writer);
    EXPECT_TRUE(removal.kept);
    EXPECT_EQ("Failed to remove BOM from '" + path + "': another process has the file open for writing.",
              removal.reason);
    EXPECT_EQ("\xEF\xBB\xBF<a/>", readBytes(path));
    EXPECT_EQ(std::vector<std::string>{"input.xml"}, listDirectory(dir.path()));
}

// A symbolic link named input.xml is read through as it is: neither the link
// nor its target changes.
TEST(ByteOrderMarkTest, SymbolicLinkIsLeftAloneLinkAndTarget) {
    ScopedTempDir dir;
    const std::string target = dir.file("target.xml");
    const std::string link = dir.file("input.xml");
    writeBytes(target, "\xEF\xBB\xBF<a/>");
    ASSERT_EQ(0, ::symlink("target.xml", link.c_str()));
    EXPECT_FALSE(removeByteOrderMark(link).kept);
    struct stat info {};
    ASSERT_EQ(0, ::lstat(link.c_str(), &info));
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ("\xEF\xBB\xBF<a/>", readBytes(target));
    EXPECT_EQ((std::vector<std::string>{"input.xml", "target.xml"}), listDirectory(dir.path()));
}

TEST(ByteOrderMarkTest, RemovalKeepsWhoMayUseTheFile) {
    testing_support::forEachAccessCase([&](const testing_support::AccessCase& c) {
        ScopedTempDir dir;
        const std::string path = dir.file("input.xml");
        writeBytes(path, kMark + "<a/>");
        ASSERT_EQ(0, ::chmod(path.c_str(), 0600));
        c.setUp(dir.path(), path);
        const testing_support::FileFacts before = testing_support::factsOf(path);
        removeByteOrderMark(path);
        testing_support::expectAccessKept(before, testing_support::factsOf(path), c.notKept);
        EXPECT_EQ("<a/>", readBytes(path));
        EXPECT_EQ(std::vector<std::string>{"input.xml"}, listDirectory(dir.path()));
    });
}

}  // namespace
}  // namespace ostrel::xml
