// What the rewrite does with what only POSIX systems have: FIFOs and
// devices, files replaced while they are held open, permission bits, owners,
// set-id bits, ACLs and attributes, sparse files, and the POSIX file
// system's own retries and fallbacks under its system calls.
#include "hemwright/FileRewriter.h"

#include "tests/hemwright/FileRewriterTest.h"
#include "tests/support/TestFiles.h"
#include "tests/support/posix/FileAttributes.h"
#include "tests/support/posix/SystemCallFaults.h"
#include "util/PendingNames.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::SystemFault;
using testing_support::writeBytes;

namespace fs = std::filesystem;

namespace {

struct stat statusOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(0, ::stat(path.c_str(), &info)) << path;
    return info;
}

}  // namespace

// A FIFO is never opened for a wait on a writer; a device (one of its own,
// so that a regression could never replace the machine's own /dev/null)
// stays a device.
TEST_F(FileRewriterTest, FifoOrDeviceIsRefusedUntouched) {
    ASSERT_EQ(0, ::mkfifo(dir_.file("fifo").c_str(), 0600));
    EXPECT_EQ("Failed to open input file '" + dir_.file("fifo") + "'. Reason: It is not a regular file.",
              failureOf([&] { rewriteWithAddedText(dir_.file("fifo"), "abc", "xyz"); }));
    EXPECT_EQ(std::vector<std::string>{"fifo"}, listDirectory(dir_.path()));
    if (testing_support::runningAsRoot()) {
        const std::string device = dir_.file("null");
        ASSERT_EQ(0, ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)));
        EXPECT_EQ("Failed to open input file '" + device + "'. Reason: It is not a regular file.",
                  failureOf([&] { rewriteWithAddedText(device, "abc", "xyz"); }));
        EXPECT_TRUE(S_ISCHR(statusOf(device).st_mode));
    }
}

// Another process replaces the file while it is copied (Windows lets no one
// rename over or remove a file that is held open): the file keeps what it
// then holds, and no temporary file is left.
TEST_F(FileRewriterTest, InputReplacedMeanwhileIsLeftAndNoTemporaryFileRemains) {
    const std::string path = dir_.file("in");
    struct Case {
        const char* what;
        std::function<void()> meanwhile;  // runs once the input is open
        bool directoryAfter;
    } const cases[] = {
        {"replaced by another file", [&] { writeBytes(path + ".new", "other"); fs::rename(path + ".new", path); },
         false},
        {"replaced by a directory",
         [&] {
             fs::remove(path);
             fs::create_directories(path + "/inside");
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(path);
        writeBytes(path, "content");
        auto nameAfterChange = [&] {
            c.meanwhile();
            return std::string("name");
        };
        EXPECT_EQ(changedMeanwhile(path), failureOf([&] { rewriteWithAddedText(path, "<", ">", nameAfterChange); }));
        if (c.directoryAfter) {
            EXPECT_TRUE(fs::is_directory(path));
        } else {
            EXPECT_EQ("other", readBytes(path));
        }
        EXPECT_EQ(std::vector<std::string>{"in"}, listDirectory(dir_.path()));
    }
}

TEST_F(FileRewriterTest, RewrittenFileKeepsPermissionsOwnerAndGroup) {
    const std::string path = dir_.file("in");
    for (const mode_t mode : {0640, 0604, 0751, 0600}) {
        writeBytes(path, "content");
        ASSERT_EQ(0, ::chmod(path.c_str(), mode));
        ASSERT_EQ(0, ::chown(path.c_str(), 1234, 5678));
        std::string temporary;
        auto rememberName = [&] {
            temporary = path + "-tmp-" + std::to_string(mode);
            return std::to_string(mode);
        };
        rewriteWithAddedText(path, "<", ">", rememberName);
        const struct stat after = statusOf(path);
        EXPECT_EQ(mode, after.st_mode & 07777);
        EXPECT_EQ(1234u, after.st_uid);
        EXPECT_EQ(5678u, after.st_gid);
        EXPECT_EQ("<content>", readBytes(path));
        EXPECT_FALSE(fs::exists(temporary));
    }
}

// What the POSIX file system works around under the copy (a kernel copy
// refused or finding nothing, an interrupted or short write, an owner it may
// not keep): the file ends exactly new. (Faults that fail the rewrite:
// FileRewriterTest.SystemFaultsNeverLeaveAHalfWrittenFile.)
TEST_F(FileRewriterTest, SystemCallFaultsAreWorkedAroundCompletely) {
    const std::string content = largeContent(600 << 10);  // larger than the copy buffer
    const std::string path = dir_.file("in");
    for (const SystemFault fault : {SystemFault::KernelCopyRefused, SystemFault::KernelCopyFindsNothing,
                                    SystemFault::WriteInterruptedOnce, SystemFault::OwnerChangeRefused,
                                    SystemFault::ShortWrites, SystemFault::FlushUnsupported,
                                    SystemFault::FileSystemFlushFails, SystemFault::DirectoryUnreadable}) {
        SCOPED_TRACE(static_cast<int>(fault));
        writeBytes(path, content);
        {
            const testing_support::SystemCallFaults faults(fault);
            rewriteWithAddedText(path, "<", ">", NameSequence({"name"}));
        }
        EXPECT_TRUE(readBytes(path) == "<" + content + ">");
        EXPECT_EQ(std::vector<std::string>{"in"}, listDirectory(dir_.path()));
    }
}

// The names put in place in a directory the process may search but not read
// (which cannot be opened to be flushed) are flushed with their whole file
// system, through the file put in place there.
TEST_F(FileRewriterTest, NamesInADirectoryThatCannotBeReadAreFlushedWithTheirFileSystem) {
    const std::string path = dir_.file("in");
    writeBytes(path, "content");
    const testing_support::SystemCallFaults faults(SystemFault::DirectoryUnreadable);
    // Listed twice: what the names are flushed through is no writer that
    // the second rewrite would have to wait for.
    rewriteAllWithAddedText({path, path}, "<", ">");
    const int batchFlushes = faults.fileSystemSyncs();
    ostrel::makePendingNamesDurable();
    EXPECT_EQ(batchFlushes + 1, faults.fileSystemSyncs());
    EXPECT_EQ("<<content>>", readBytes(path));
    EXPECT_EQ(std::vector<std::string>{"in"}, listDirectory(dir_.path()));
}

// A file that now belongs to the runner does not become a set-id program of
// the runner's.
TEST_F(FileRewriterTest, SetIdBitsGoWithAnOwnerThatCannotBeKept) {
    if (!testing_support::runningAsRoot()) {
        GTEST_SKIP() << "needs root to give the file to another owner first";
    }
    const std::string path = dir_.file("tool");
    writeBytes(path, "#!/bin/sh\n");
    ASSERT_EQ(0, ::chown(path.c_str(), 1234, 5678));
    ASSERT_EQ(0, ::chmod(path.c_str(), 06755));
    {
        const testing_support::SystemCallFaults faults(SystemFault::OwnerChangeRefused);
        rewriteWithAddedText(path, "", "# stamped\n");
    }
    const struct stat after = statusOf(path);
    EXPECT_EQ(0755u, after.st_mode & 07777);
    EXPECT_EQ(::geteuid(), after.st_uid);
}

// Trusted attributes and the security label are kept where the process may
// set them (ReplacedFileKeepsWhoMayUseIt) and left off where it may not,
// the replacement going on.
TEST_F(FileRewriterTest, PrivilegedAttributesTheProcessMayNotSetAreLeftOff) {
    if (!testing_support::runningAsRoot()) {
        GTEST_SKIP() << "needs root to set a trusted attribute";
    }
    const std::string path = dir_.file("in");
    writeBytes(path, "content");
    ASSERT_EQ(0, ::setxattr(path.c_str(), "trusted.origin", "host", 4, 0));
    {
        const testing_support::SystemCallFaults faults(SystemFault::PrivilegedAttributesRefused);
        rewriteWithAddedText(path, "<", ">");
    }
    EXPECT_EQ("<content>", readBytes(path));
    EXPECT_TRUE(testing_support::factsOf(path).attributes.empty()) << testing_support::factsOf(path).describe();
}

TEST_F(FileRewriterTest, ReplacedFileKeepsWhoMayUseIt) {
    testing_support::forEachAccessCase([&](const testing_support::AccessCase& c) {
        ScopedTempDir dir;
        const std::string path = dir.file("in");
        writeBytes(path, "content");
        c.setUp(dir.path(), path);
        const testing_support::FileFacts before = testing_support::factsOf(path);
        rewriteWithAddedText(path, "<", ">");
        testing_support::expectAccessKept(before, testing_support::factsOf(path), c.notKept);
        EXPECT_EQ("<content>", readBytes(path));
        EXPECT_EQ(std::vector<std::string>{"in"}, listDirectory(dir.path()));
    });
}

// Holes stay holes, wherever they are and whatever the file has allocated
// past its end; the content reads back exactly.
TEST_F(FileRewriterTest, SparseFileStaysSparseWithExactContent) {
    struct Piece {
        std::uint64_t offset;
        std::string bytes;
    };
    struct Case {
        const char* what;
        std::uint64_t size;
        std::vector<Piece> data;
        std::uint64_t preallocatedPastEnd;
    } const cases[] = {
        {"data at the start, in the middle and at the very end",
         64u << 20,
         {{0, "head"}, {32u << 20, std::string(8192, 'm')}, {(64u << 20) - 4, "tail"}},
         0},
        {"ending in a hole", 1u << 20, {{0, "data"}}, 0},
        {"space allocated past its end", 100u << 20, {{0, std::string(8192, 'd')}}, 100u << 20},
    };
    // A prefix whose length is no multiple of any block size.
    const std::string prefix = "prefix of 17 byte";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = dir_.file("sparse");
        std::string expected(c.size, '\0');
        {
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            for (const Piece& piece : c.data) {
                out.seekp(static_cast<std::streamoff>(piece.offset));
                out << piece.bytes;
                expected.replace(piece.offset, piece.bytes.size(), piece.bytes);
            }
        }
        ASSERT_EQ(0, ::truncate(path.c_str(), static_cast<off_t>(c.size)));
        if (c.preallocatedPastEnd > 0) {
            const int descriptor = ::open(path.c_str(), O_WRONLY);
            ASSERT_LE(0, descriptor);
            const int allocated = ::fallocate(descriptor, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(c.size),
                                              static_cast<off_t>(c.preallocatedPastEnd));
            ::close(descriptor);
            if (allocated != 0) {
                std::cout << "[ SKIPPED  ] the file system cannot preallocate: " << std::strerror(errno) << "\n";
                continue;
            }
        }
        rewriteWithAddedText(path, prefix, "!");
        const struct stat after = statusOf(path);
        EXPECT_EQ(static_cast<off_t>(prefix.size() + c.size + 1), after.st_size);
        EXPECT_LT(static_cast<std::uint64_t>(after.st_blocks) * 512u, 1u << 20) << "the holes were filled";
        EXPECT_TRUE(readBytes(path) == prefix + expected + "!");
    }
}

// Every step names the file relative to its directory, so a file whose path
// fits PATH_MAX is rewritten even when its temporary file's whole path would
// not.
TEST_F(FileRewriterTest, PathThatFitsOnlyWithoutTheTemporarySuffixIsRewritten) {
    // A path of PATH_MAX - 1 bytes: directories, then a name of 100 bytes;
    // the temporary name adds 41 more.
    const std::size_t directoryLength = PATH_MAX - 1 - 1 - 100;
    std::string directory = dir_.path();
    while (directory.size() < directoryLength) {
        const std::size_t component = std::min<std::size_t>(200, directoryLength - directory.size() - 1);
        if (component == 0) {
            break;
        }
        directory += "/" + std::string(component, 'd');
        ASSERT_EQ(0, ::mkdir(directory.c_str(), 0755)) << std::strerror(errno);
    }
    const std::string path = directory + "/" + std::string(PATH_MAX - 2 - directory.size(), 'f');
    ASSERT_EQ(static_cast<std::size_t>(PATH_MAX - 1), path.size());
    writeBytes(path, "content");
    rewriteWithAddedText(path, "<", ">");
    EXPECT_EQ("<content>", readBytes(path));
    EXPECT_EQ(1u, listDirectory(directory).size());
}
