#include "util/xml/ByteOrderMark.h"

#include "tests/support/FileSystemFaults.h"
#include "tests/support/SystemErrors.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ostrel::xml {
namespace {

using testing_support::FileSystemFault;
using testing_support::FileSystemFaults;
using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::SystemError;
using testing_support::systemReason;
using testing_support::writeBytes;

const std::string kMark = "\xEF\xBB\xBF";

// Bytes of every value, several copy blocks long.
std::string patternBytes(std::size_t count) {
    std::string bytes(count, '\0');
    for (std::size_t index = 0; index < count; ++index) {
        bytes[index] = static_cast<char>((index * 7 + index / 251) & 0xFF);
    }
    return bytes;
}

// Whether message is prefix, a unique name (hexadecimal digits and dashes),
// then suffix.
bool matchesWithUniqueName(const std::string& message, const std::string& prefix, const std::string& suffix) {
    if (message.size() <= prefix.size() + suffix.size() || message.compare(0, prefix.size(), prefix) != 0 ||
        message.compare(message.size() - suffix.size(), suffix.size(), suffix) != 0) {
        return false;
    }
    const std::string unique = message.substr(prefix.size(), message.size() - prefix.size() - suffix.size());
    return unique.find_first_not_of("0123456789abcdef-") == std::string::npos;
}

// Why removeByteOrderMark kept the mark of path.
std::string failureOf(const std::string& path) {
    const MarkRemoval removal = removeByteOrderMark(path);
    EXPECT_TRUE(removal.kept) << path;
    return removal.reason;
}

TEST(ByteOrderMarkTest, RemovesExactlyTheMarkAndLeavesNoTemporaryFile) {
    ScopedTempDir dir;
    const std::string small = dir.file("small.xml");
    writeBytes(small, kMark + "<a/>");
    removeByteOrderMark(small);
    EXPECT_EQ("<a/>", readBytes(small));

    const std::string large = dir.file("large.xml");
    const std::string content = patternBytes(300000);
    writeBytes(large, kMark + content);
    removeByteOrderMark(large);
    EXPECT_EQ(content, readBytes(large));

    const std::string markOnly = dir.file("mark-only.xml");
    writeBytes(markOnly, kMark);
    removeByteOrderMark(markOnly);
    EXPECT_EQ("", readBytes(markOnly));

    // Only the first mark goes.
    const std::string doubled = dir.file("doubled.xml");
    writeBytes(doubled, kMark + kMark + "x");
    removeByteOrderMark(doubled);
    EXPECT_EQ(kMark + "x", readBytes(doubled));

    EXPECT_EQ((std::vector<std::string>{"doubled.xml", "large.xml", "mark-only.xml", "small.xml"}),
              listDirectory(dir.path()));
}

TEST(ByteOrderMarkTest, LeavesOtherFilesAlone) {
    ScopedTempDir dir;
    const std::vector<std::string> contents = {
        "", "\xEF", "\xEF\xBB", "<a/>", "\xEF\xBB\xBE<a/>", "\xFF\xFE<\0a\0/\0>\0", "x\xEF\xBB\xBF",
    };
    for (std::size_t index = 0; index < contents.size(); ++index) {
        const std::string path = dir.file("file" + std::to_string(index));
        writeBytes(path, contents[index]);
        removeByteOrderMark(path);
        EXPECT_EQ(contents[index], readBytes(path)) << "file" << index;
    }
    EXPECT_EQ(contents.size(), listDirectory(dir.path()).size());

    // Nothing to open, or nothing readable: left to the parser to report.
    EXPECT_NO_THROW(removeByteOrderMark(dir.file("missing.xml")));
    EXPECT_NO_THROW(removeByteOrderMark(dir.path()));
    EXPECT_EQ(contents.size(), listDirectory(dir.path()).size());
}

TEST(ByteOrderMarkTest, FailedWriteKeepsTheOriginalAndRemovesTheTemporaryFile) {
    ScopedTempDir dir;
    const std::string path = dir.file("input.xml");
    const std::string original = kMark + patternBytes(200000);
    writeBytes(path, original);

    std::string message;
    {
        const FileSystemFaults full(FileSystemFault::DiskFull, 10000);
        message = failureOf(path);
    }
    EXPECT_TRUE(matchesWithUniqueName(message, "Failed to write to temporary file while removing BOM: '" + path + "-tmp-",
                                      "'. Reason: " + systemReason(SystemError::DiskFull)))
        << message;
    EXPECT_EQ(original, readBytes(path));
    EXPECT_EQ(std::vector<std::string>{"input.xml"}, listDirectory(dir.path()));
}

// A temporary file that cannot be created, or whose content cannot be made
// durable: the mark stays, the reason is reported, nothing is left beside
// the file.
TEST(ByteOrderMarkTest, TemporaryFileThatCannotBeCreatedIsReported) {
    struct Row {
        FileSystemFault fault;
        std::string failure;
        SystemError reason;
    } const rows[] = {
        {FileSystemFault::CreateFails, "Failed to open temporary file while removing BOM: '", SystemError::AccessDenied},
        {FileSystemFault::FlushFails, "Failed to flush the temporary file to disk while removing BOM: '",
         SystemError::InputOutput},
    };
    for (const Row& row : rows) {
        ScopedTempDir dir;
        const std::string path = dir.file("input.xml");
        writeBytes(path, kMark + "<a/>");
        std::string message;
        {
            const FileSystemFaults faults(row.fault);
            message = failureOf(path);
        }
        EXPECT_TRUE(matchesWithUniqueName(message, row.failure + path + "-tmp-",
                                          "'. Reason: " + systemReason(row.reason)))
            << message;
        EXPECT_EQ(kMark + "<a/>", readBytes(path));
        EXPECT_EQ(std::vector<std::string>{"input.xml"}, listDirectory(dir.path()));
    }
}

}  // namespace
}  // namespace ostrel::xml
