#include "hemwright/FileRewriter.h"

#include "plugin/PluginException.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

#include <boost/filesystem.hpp>

using Vellamor::Plugin::PipelinePluginException;
using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::writeBytes;

namespace fs = boost::filesystem;

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

// Limits the size of files this process writes, as a full disk would: a write
// past the limit fails with EFBIG instead of raising SIGXFSZ. Restores both on
// destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        EXPECT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &previous_));
        rlimit limited = previous_;
        limited.rlim_cur = bytes;
        EXPECT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &limited));
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit previous_ {};
    void (*previousHandler_)(int) = SIG_DFL;
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
        EXPECT_EQ("Failed to write output file '" + temporary + "'.", message) << limit;
        EXPECT_TRUE(readBytes(path) == content) << limit;
        EXPECT_EQ(std::vector<std::string>{"in.txt"}, listDirectory(dir_.path())) << limit;
    }
}

TEST_F(FileRewriterTest, ReadFailureLeavesTheInputUnchangedAndNoTemporaryFile) {
    // Reading a process's memory from address 0 fails; a link to it stands in
    // for an input file on a failing disk.
    const std::string path = dir_.file("link");
    fs::create_symlink("/proc/self/mem", path);
    EXPECT_EQ("Failed to read input file '" + path + "'.",
              failureOf([&] { rewriteWithAddedText(path, "abc", "", NameSequence({"n"})); }));
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(std::vector<std::string>{"link"}, listDirectory(dir_.path()));
}

TEST_F(FileRewriterTest, InputThatIsNotARegularFileIsRefusedUntouched) {
    fs::create_directories(dir_.file("directory/inside"));
    ASSERT_EQ(0, ::mkfifo(dir_.file("fifo").c_str(), 0600));
    for (const std::string name : {"directory", "fifo", "missing"}) {
        const std::string path = dir_.file(name);
        EXPECT_EQ("Failed to open input file '" + path + "'.",
                  failureOf([&] { rewriteWithAddedText(path, "abc", "xyz"); }));
    }
    EXPECT_EQ((std::vector<std::string>{"directory", "fifo"}), listDirectory(dir_.path()));
    EXPECT_EQ(std::vector<std::string>{"inside"}, listDirectory(dir_.file("directory")));
    EXPECT_EQ("Failed to open input file '/dev/null'.",
              failureOf([&] { rewriteWithAddedText("/dev/null", "abc", "xyz"); }));
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
    EXPECT_EQ("Failed to open output file '" + path + "-tmp-5'.",
              failureOf([&] { rewriteWithAddedText(path, "<", ">", NameSequence({"1", "2", "3", "4", "5"})); }));
    EXPECT_EQ("<content>", readBytes(path));
    EXPECT_EQ("3", readBytes(path + "-tmp-3"));
}

TEST_F(FileRewriterTest, TemporaryFileThatCannotBeCreatedLeavesTheInputUnchanged) {
    const std::string path = dir_.file(std::string(230, 'n'));
    writeBytes(path, "content");
    const std::string name = "0123456789abcdef0123456789abcdef0123";
    EXPECT_EQ("Failed to open output file '" + path + "-tmp-" + name + "'.",
              failureOf([&] { rewriteWithAddedText(path, "<", ">", NameSequence({name})); }));
    EXPECT_EQ("content", readBytes(path));
    EXPECT_EQ(1u, listDirectory(dir_.path()).size());
}

TEST_F(FileRewriterTest, FailedMoveRemovesTheTemporaryFile) {
    const std::string path = dir_.file("in");
    writeBytes(path, "content");
    // Once the input is open, something else puts a directory in its place;
    // the finished temporary file can then not be moved there.
    auto replaceInputByDirectory = [&] {
        fs::remove(path);
        fs::create_directories(path + "/inside");
        return std::string("name");
    };
    const std::string temporary = path + "-tmp-name";
    EXPECT_EQ("Failed to move '" + temporary + "' to '" + path + "'. Reason: Failed to move the file '" + temporary +
                  "' to '" + path + "'. Reason: boost::filesystem::rename: Is a directory: \"" + temporary +
                  "\", \"" + path + "\".",
              failureOf([&] { rewriteWithAddedText(path, "<", ">", replaceInputByDirectory); }));
    EXPECT_EQ(std::vector<std::string>{"in"}, listDirectory(dir_.path()));
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
