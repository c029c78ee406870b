#include "hemwright/FileRewriter.h"

#include "plugin/PluginException.h"
#include "tests/support/FileAttributes.h"
#include "tests/support/SystemCallFaults.h"
#include "tests/support/TestFiles.h"
#include "util/platform/Platform.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>

using Vellamor::Plugin::PipelinePluginException;
using testing_support::listDirectory;
using testing_support::FileSizeLimit;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::SystemFault;
using testing_support::writeBytes;

namespace fs = std::filesystem;

namespace {

// Hands out the given names in turn, then "spare".
class NameSequence {
public:
    explicit NameSequence(std::vector<std::string> names) : names_(std::move(names)) {}
    std::string operator()() { return next_ < names_.size() ? names_[next_++] : "spare"; }

private:
    std::vector<std::string> names_;
    std::size_t next_ = 0;
};

struct stat statusOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(0, ::stat(path.c_str(), &info)) << path;
    return info;
}

class FileRewriterTest : public ::testing::Test {
protected:
    template <typename Call>
    std::string failureOf(Call call) {
        try {
            call();
        } catch (const PipelinePluginException& failure) {
            return failure.getMessage();
        }
        ADD_FAILURE() << "no PipelinePluginException";
        return std::string();
    }

    ScopedTempDir dir_;
};

std::string largeContent(std::size_t size) {
    std::string content;
    content.reserve(size);
    for (std::size_t i = 0; content.size() < size; ++i) {
        content += std::to_string(i) + '\n';
    }
    return content;
}

}  // namespace

TEST_F(FileRewriterTest, LargeFileIsStreamedCompletely) {
    const std::string path = dir_.file("big.bin");
    const std::string content = largeContent(5 << 20);
    writeBytes(path, content);
    rewriteWithAddedText(path, "head\r\n", std::string("\0tail", 5));
    EXPECT_TRUE(readBytes(path) == "head\r\n" + content + std::string("\0tail", 5));
    EXPECT_EQ(std::vector<std::string>{"big.bin"}, listDirectory(dir_.path()));
}

TEST_F(FileRewriterTest, FullDiskLeavesTheInputUnchangedAndNoTemporaryFile) {
    const std::string path = dir_.file("in.txt");
    const std::string content = largeContent(256 << 10);
    writeBytes(path, content);
    const std::string temporary = path + "-tmp-name";
    for (const std::size_t limit : {std::size_t(2), std::size_t(100 << 10), content.size() + 3}) {
        std::string message;
        {
            FileSizeLimit full(limit);
            message = failureOf([&] { rewriteWithAddedText(path, "abc", "xyz", NameSequence({"name"})); });
        }
        EXPECT_EQ("Failed to write output file '" + temporary + "' to rewrite '" + path + "'. Reason: File too large.",
                  message)
            << limit;
        EXPECT_TRUE(readBytes(path) == content) << limit;
        EXPECT_EQ(std::vector<std::string>{"in.txt"}, listDirectory(dir_.path())) << limit;
    }
}

TEST_F(FileRewriterTest, InputThatIsNotARegularFileIsRefusedUntouched) {
    fs::create_directories(dir_.file("directory/inside"));
    ASSERT_EQ(0, ::mkfifo(dir_.file("fifo").c_str(), 0600));
    const std::pair<std::string, std::string> cases[] = {
        {"directory", "Is a directory"},
        {"fifo", "It is not a regular file"},
        {"missing", "No such file or directory"},
        {"missing/below", "No such file or directory"},
        {"directory/", "Is a directory"},
    };
    for (const auto& [name, reason] : cases) {
        const std::string path = dir_.file(name);
        EXPECT_EQ("Failed to open input file '" + path + "'. Reason: " + reason + ".",
                  failureOf([&] { rewriteWithAddedText(path, "abc", "xyz"); }));
    }
    EXPECT_EQ((std::vector<std::string>{"directory", "fifo"}), listDirectory(dir_.path()));
    EXPECT_EQ(std::vector<std::string>{"inside"}, listDirectory(dir_.file("directory")));
    if (testing_support::runningAsRoot()) {
        // A device of its own, so that a regression could never replace the
        // machine's own /dev/null.
        const std::string device = dir_.file("null");
        ASSERT_EQ(0, ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)));
        EXPECT_EQ("Failed to open input file '" + device + "'. Reason: It is not a regular file.",
                  failureOf([&] { rewriteWithAddedText(device, "abc", "xyz"); }));
        EXPECT_TRUE(S_ISCHR(statusOf(device).st_mode));
    }
}

TEST_F(FileRewriterTest, TakenTemporaryNamesAreSkippedNeverTruncated) {
    const std::string path = dir_.file("in");
    writeBytes(path, "content");
    writeBytes(path + "-tmp-taken", "left by an earlier run");
    rewriteWithAddedText(path, "<", ">", NameSequence({"taken", "fresh"}));
    EXPECT_EQ("<content>", readBytes(path));
    EXPECT_EQ("left by an earlier run", readBytes(path + "-tmp-taken"));
    EXPECT_EQ((std::vector<std::string>{"in", "in-tmp-taken"}), listDirectory(dir_.path()));

    for (const std::string name : {"1", "2", "3", "4", "5"}) {
        writeBytes(path + "-tmp-" + name, name);
    }
    EXPECT_EQ("Failed to open output file '" + path + "-tmp-5' to rewrite '" + path + "'. Reason: File exists.",
              failureOf([&] { rewriteWithAddedText(path, "<", ">", NameSequence({"1", "2", "3", "4", "5"})); }));
    EXPECT_EQ("<content>", readBytes(path));
    EXPECT_EQ("3", readBytes(path + "-tmp-3"));
}

TEST_F(FileRewriterTest, AnyNameTheFileSystemTakesIsRewrittenBesideItself) {
    const std::string name = "0123456789abcdef0123456789abcdef0123";
    // Where '\\' separates nothing (POSIX), it is a character of the name
    // like any other.
    const std::string backslashed = ostrel::platform::isPathSeparator('\\') ? "" : "a\\b";
    for (const std::size_t length : {std::size_t(200), std::size_t(214), std::size_t(215), std::size_t(255)}) {
        for (const std::string& head : {std::string(), backslashed}) {
            const std::string fileName = head + std::string(length - head.size(), 'n');
            const std::string path = dir_.file(fileName);
            writeBytes(path, "content");
            rewriteWithAddedText(path, "<", ">", [&] { return name; });
            EXPECT_EQ("<content>", readBytes(path)) << fileName;
            EXPECT_EQ(std::vector<std::string>{fileName}, listDirectory(dir_.path())) << fileName;
            fs::remove(path);
        }
    }
}

TEST_F(FileRewriterTest, TemporaryFileThatCannotBeCreatedLeavesTheInputUnchanged) {
    const std::string path = dir_.file("in");
    writeBytes(path, "content");
    const testing_support::SystemCallFaults faults(SystemFault::CreateFails);
    EXPECT_EQ("Failed to open output file '" + path + "-tmp-name' to rewrite '" + path +
                  "'. Reason: Permission denied.",
              failureOf([&] { rewriteWithAddedText(path, "<", ">", NameSequence({"name"})); }));
    EXPECT_EQ("content", readBytes(path));
    EXPECT_EQ(std::vector<std::string>{"in"}, listDirectory(dir_.path()));
}

// What another process does to the file while it is copied, and a rename
// that fails: the file keeps what it then holds, and no temporary file is
// left.
TEST_F(FileRewriterTest, ChangedInputOrFailedMoveLeavesTheInputAndNoTemporaryFile) {
    const std::string path = dir_.file("in");
    const std::string temporary = path + "-tmp-name";
    const std::string changed = "Input file '" + path +
                                "' was opened for writing or changed by another process while it was rewritten; it "
                                "was left as it was, so that nothing that process wrote is lost.";
    struct Case {
        const char* what;
        std::function<void()> meanwhile;  // runs once the input is open
        SystemFault fault;
        std::string message;
        std::string contentAfter;  // empty: a directory took its place
    } const cases[] = {
        {"appended to", [&] { std::ofstream(path, std::ios::app) << " more"; }, SystemFault::None, changed,
         "content more"},
        {"rewritten in place", [&] { std::ofstream(path, std::ios::in | std::ios::out) << "C"; }, SystemFault::None,
         changed, "Content"},
        {"replaced by another file", [&] { writeBytes(path + ".new", "other"); fs::rename(path + ".new", path); },
         SystemFault::None, changed, "other"},
        {"replaced by a directory",
         [&] {
             fs::remove(path);
             fs::create_directories(path + "/inside");
         },
         SystemFault::None, changed, ""},
        {"rename refused", [] {}, SystemFault::RenameRefused,
         "Failed to move '" + temporary + "' to '" + path + "'. Reason: Device or resource busy.", "content"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(path);
        writeBytes(path, "content");
        auto nameAfterChange = [&] {
            c.meanwhile();
            return std::string("name");
        };
        const testing_support::SystemCallFaults faults(c.fault);
        EXPECT_EQ(c.message, failureOf([&] { rewriteWithAddedText(path, "<", ">", nameAfterChange); }));
        if (!c.contentAfter.empty()) {
            EXPECT_EQ(c.contentAfter, readBytes(path));
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

// Whatever the system does under the copy, the file ends exactly old (and no
// temporary file is left) or exactly new.
TEST_F(FileRewriterTest, SystemFaultsNeverLeaveAHalfWrittenFile) {
    const std::string content = largeContent(600 << 10);  // larger than the copy buffer
    const std::string path = dir_.file("in");
    const std::string temporary = path + "-tmp-name";
    struct Case {
        SystemFault fault;
        std::string failure;  // empty: the rewrite succeeds
    } const cases[] = {
        {SystemFault::KernelCopyRefused, ""},
        {SystemFault::KernelCopyFindsNothing, ""},
        {SystemFault::WriteInterruptedOnce, ""},
        {SystemFault::OwnerChangeRefused, ""},
        {SystemFault::ShortWrites, ""},
        {SystemFault::CloseOfWrittenFileFails,
         "Failed to write output file '" + temporary + "' to rewrite '" + path + "'. Reason: Input/output error."},
        {SystemFault::ReadFails, "Failed to read input file '" + path + "'. Reason: Input/output error."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        writeBytes(path, content);
        std::string message;
        {
            const testing_support::SystemCallFaults faults(c.fault);
            if (c.failure.empty()) {
                rewriteWithAddedText(path, "<", ">", NameSequence({"name"}));
            } else {
                message = failureOf([&] { rewriteWithAddedText(path, "<", ">", NameSequence({"name"})); });
            }
        }
        EXPECT_EQ(c.failure, message);
        EXPECT_TRUE(readBytes(path) == (c.failure.empty() ? "<" + content + ">" : content));
        EXPECT_EQ(std::vector<std::string>{"in"}, listDirectory(dir_.path()));
    }
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
