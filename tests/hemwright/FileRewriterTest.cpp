#include "hemwright/FileRewriter.h"

#include "tests/hemwright/FileRewriterTest.h"
#include "tests/support/FileSystemFaults.h"
#include "tests/support/PowerCut.h"
#include "tests/support/SystemErrors.h"
#include "tests/support/TestFiles.h"
#include "util/CrException.h"
#include "util/FileOperations.h"
#include "util/FileReplacement.h"
#include "util/PendingNames.h"
#include "util/platform/Platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

using testing_support::FileSystemFault;
using testing_support::FileSystemFaults;
using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::SystemError;
using testing_support::reasonSentence;
using testing_support::writeBytes;

namespace fs = std::filesystem;

TEST_F(FileRewriterTest, LargeFileIsStreamedCompletely) {
    const std::string path = dir_.file("big.bin");
    const std::string content = largeContent(5 << 20);
    writeBytes(path, content);
    rewriteWithAddedText(path, "head\r\n", std::string("\0tail", 5));
    EXPECT_TRUE(readBytes(path) == "head\r\n" + content + std::string("\0tail", 5));
    EXPECT_EQ(std::vector<std::string>{"big.bin"}, listDirectory(dir_.path()));
}

// The disk fills up while the prefix, the content or the suffix is written.
TEST_F(FileRewriterTest, FullDiskLeavesTheInputUnchangedAndNoTemporaryFile) {
    const std::string path = dir_.file("in.txt");
    const std::string content = largeContent(256 << 10);
    writeBytes(path, content);
    const std::string temporary = path + "-tmp-name";
    for (const std::size_t room : {std::size_t(2), std::size_t(100 << 10), content.size() + 3}) {
        std::string message;
        {
            const FileSystemFaults full(FileSystemFault::DiskFull, room);
            message = failureOf([&] { rewriteWithAddedText(path, "abc", "xyz", NameSequence({"name"})); });
        }
        EXPECT_EQ("Failed to write output file '" + temporary + "' to rewrite '" + path +
                      "'. Reason: " + reasonSentence(SystemError::DiskFull),
                  message)
            << room;
        EXPECT_TRUE(readBytes(path) == content) << room;
        EXPECT_EQ(std::vector<std::string>{"in.txt"}, listDirectory(dir_.path())) << room;
    }
}

TEST_F(FileRewriterTest, InputThatIsNotARegularFileIsRefusedUntouched) {
    fs::create_directories(dir_.file("directory/inside"));
    const std::pair<std::string, std::string> cases[] = {
        {"directory", reasonSentence(SystemError::DirectoryOpened)},
        {"missing", reasonSentence(SystemError::FileNotFound)},
        {"missing/below", reasonSentence(SystemError::FileNotFound)},
        {"directory/", reasonSentence(SystemError::DirectoryOpened)},
    };
    for (const auto& [name, reason] : cases) {
        const std::string path = dir_.file(name);
        EXPECT_EQ("Failed to open input file '" + path + "'. Reason: " + reason,
                  failureOf([&] { rewriteWithAddedText(path, "abc", "xyz"); }));
    }
    EXPECT_EQ((std::vector<std::string>{"directory"}), listDirectory(dir_.path()));
    EXPECT_EQ(std::vector<std::string>{"inside"}, listDirectory(dir_.file("directory")));
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
    EXPECT_EQ("Failed to open output file '" + path + "-tmp-5' to rewrite '" + path + "'. Reason: " +
                  reasonSentence(SystemError::AlreadyExists),
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
            fs::remove(fs::u8path(path));
        }
    }
}

TEST_F(FileRewriterTest, TemporaryFileThatCannotBeCreatedLeavesTheInputUnchanged) {
    const std::string path = dir_.file("in");
    writeBytes(path, "content");
    const FileSystemFaults faults(FileSystemFault::CreateFails);
    EXPECT_EQ("Failed to open output file '" + path + "-tmp-name' to rewrite '" + path + "'. Reason: " +
                  reasonSentence(SystemError::AccessDenied),
              failureOf([&] { rewriteWithAddedText(path, "<", ">", NameSequence({"name"})); }));
    EXPECT_EQ("content", readBytes(path));
    EXPECT_EQ(std::vector<std::string>{"in"}, listDirectory(dir_.path()));
}

// What another process does to the file while it is copied, and a rename
// that fails: the file keeps what it then holds, and no temporary file is
// left. The changes come from this process: without a watch on writers
// (which would make its own writer wait for the system's lease-break time),
// the check after the copy is what sees them.
TEST_F(FileRewriterTest, ChangedInputOrFailedMoveLeavesTheInputAndNoTemporaryFile) {
    const std::string path = dir_.file("in");
    const std::string temporary = path + "-tmp-name";
    struct Case {
        const char* what;
        std::function<void()> meanwhile;  // runs once the input is open
        FileSystemFault fault;
        std::string message;
        std::string contentAfter;
    } const cases[] = {
        {"appended to", [&] { std::ofstream(fs::u8path(path), std::ios::app) << " more"; },
         FileSystemFault::WritersUnknown, changedMeanwhile(path), "content more"},
        {"rewritten in place", [&] { std::ofstream(fs::u8path(path), std::ios::in | std::ios::out) << "C"; },
         FileSystemFault::WritersUnknown, changedMeanwhile(path), "Content"},
        {"rename refused", [] {}, FileSystemFault::PutInPlaceRefused,
         "Failed to move '" + temporary + "' to '" + path + "'. Reason: " + reasonSentence(SystemError::Busy),
         "content"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes(path, "content");
        auto nameAfterChange = [&] {
            c.meanwhile();
            return std::string("name");
        };
        const FileSystemFaults faults(c.fault);
        EXPECT_EQ(c.message, failureOf([&] { rewriteWithAddedText(path, "<", ">", nameAfterChange); }));
        EXPECT_EQ(c.contentAfter, readBytes(path));
        EXPECT_EQ(std::vector<std::string>{"in"}, listDirectory(dir_.path()));
    }
}

// Whatever the file system does under the copy, the file ends exactly old
// and no temporary file is left.
TEST_F(FileRewriterTest, SystemFaultsNeverLeaveAHalfWrittenFile) {
    const std::string content = largeContent(600 << 10);  // larger than the copy buffer
    const std::string path = dir_.file("in");
    const std::string temporary = path + "-tmp-name";
    const std::string ioError = reasonSentence(SystemError::InputOutput);
    struct Case {
        FileSystemFault fault;
        std::string failure;
    } const cases[] = {
        {FileSystemFault::FinishWritingFails,
         "Failed to write output file '" + temporary + "' to rewrite '" + path + "'. Reason: " + ioError},
        {FileSystemFault::ReadFails, "Failed to read input file '" + path + "'. Reason: " + ioError},
        {FileSystemFault::FlushFails,
         "Failed to write output file '" + temporary + "' to rewrite '" + path + "'. Reason: " + ioError},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.fault));
        writeBytes(path, content);
        std::string message;
        {
            const FileSystemFaults faults(c.fault);
            message = failureOf([&] { rewriteWithAddedText(path, "<", ">", NameSequence({"name"})); });
        }
        EXPECT_EQ(c.failure, message);
        EXPECT_TRUE(readBytes(path) == content);
        EXPECT_EQ(std::vector<std::string>{"in"}, listDirectory(dir_.path()));
    }
}

// --- Durability and batches ------------------------------------------------

// When the second of three files cannot be made durable, the first is
// replaced, the second and third are left as they were, and no temporary
// file remains.
TEST_F(FileRewriterTest, FailedFlushOfOneFileKeepsTheOnesBeforeItAndLeavesTheRest) {
    std::vector<std::string> paths;
    for (const char* name : {"a", "b", "c"}) {
        paths.push_back(dir_.file(name));
        writeBytes(paths.back(), name);
    }
    std::string message;
    {
        const FileSystemFaults faults(FileSystemFault::FlushFails, 1);
        message = failureOf([&] { rewriteAllWithAddedText(paths, "<", ">", NameSequence({"1", "2", "3"})); });
    }
    EXPECT_EQ("Failed to write output file '" + paths[1] + "-tmp-2' to rewrite '" + paths[1] +
                  "'. Reason: " + reasonSentence(SystemError::InputOutput),
              message);
    EXPECT_EQ("<a>", readBytes(paths[0]));
    EXPECT_EQ("b", readBytes(paths[1]));
    EXPECT_EQ("c", readBytes(paths[2]));
    EXPECT_EQ((std::vector<std::string>{"a", "b", "c"}), listDirectory(dir_.path()));

    // The names of the first one's directory cannot be flushed: the failure
    // names the directory and says what it means.
    const FileSystemFaults faults(FileSystemFault::NamesFlushFails);
    try {
        ostrel::makePendingNamesDurable();
        ADD_FAILURE() << "no failure";
    } catch (const ostrel::CrException& failure) {
        EXPECT_EQ("Failed to flush the directory '" + dir_.path() +
                      "' to disk; the files put in place there are replaced but not known to be on disk. Reason: " +
                      reasonSentence(SystemError::InputOutput),
                  failure.getMessage());
    }
}

// Two replacements of one file are kept apart in this process too: the
// second sees the first's claim.
TEST_F(FileRewriterTest, FileBeingPreparedIsSeenAsBeingRewritten) {
    const std::string path = dir_.file("in");
    writeBytes(path, "content");
    ostrel::FileReplacement first(path);
    ostrel::FileReplacement second(path);
    ASSERT_EQ(ostrel::platform::OpenResult::Opened, first.openOriginal());
    ASSERT_EQ(ostrel::platform::OpenResult::Opened, second.openOriginal());
    const ostrel::platform::OtherWriters firstWriters = first.otherWriters();
    EXPECT_TRUE(firstWriters == ostrel::platform::OtherWriters::None ||
                firstWriters == ostrel::platform::OtherWriters::Unknown);
    EXPECT_EQ(ostrel::platform::OtherWriters::Rewriting, second.otherWriters());
}

// A power cut at any moment of a run of three files in two directories and
// output.xml: every file holds its old bytes or its new ones, whole, and
// output.xml is absent or whole, whether the renames not yet made durable
// survive or not; a cut after the run leaves everything new.
TEST_F(FileRewriterTest, PowerCutAtAnyMomentLeavesEachFileOldOrNewWhole) {
    fs::create_directories(fs::u8path(dir_.file("one")));
    fs::create_directories(fs::u8path(dir_.file("two")));
    const std::vector<std::string> paths = {dir_.file("one/a"), dir_.file("one/b"), dir_.file("two/c")};
    const std::string output = dir_.file("output.xml");
    std::vector<std::string> old;
    for (const std::string& path : paths) {
        old.push_back(largeContent(3000) + path);
        writeBytes(path, old.back());
    }
    const testing_support::PowerCut cut;
    rewriteAllWithAddedText(paths, "<", ">");
    ostrel::writeFile(output, "<document/>", true);
    ostrel::makePendingNamesDurable();
    ASSERT_GT(cut.moments(), 7u);
    for (std::size_t moment = 0; moment <= cut.moments(); ++moment) {
        for (const bool renamesKept : {false, true}) {
            SCOPED_TRACE("cut after step " + std::to_string(moment) + (renamesKept ? ", renames kept" : ""));
            const bool afterTheRun = moment == cut.moments();
            for (std::size_t index = 0; index < paths.size(); ++index) {
                const std::optional<std::string> left =
                    cut.contentAfterCut(moment, renamesKept, paths[index], old[index]);
                ASSERT_TRUE(left.has_value());
                if (afterTheRun) {
                    EXPECT_TRUE(*left == "<" + old[index] + ">");
                } else {
                    EXPECT_TRUE(*left == old[index] || *left == "<" + old[index] + ">") << left->size() << " bytes";
                }
            }
            const std::optional<std::string> document = cut.contentAfterCut(moment, renamesKept, output, {});
            EXPECT_TRUE(document == std::optional<std::string>("<document/>") || (!afterTheRun && !document));
        }
    }
}
