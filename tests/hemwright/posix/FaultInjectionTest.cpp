// Runs the executable as the host does while the environment fails under it
// in ways only a POSIX system provokes: a full disk (RLIMIT_FSIZE, with
// SIGXFSZ left at its default action, which would kill a program that does
// not ignore it) during the rewrite and while output.xml is written, memory
// that runs out (RLIMIT_AS), FIFOs and links, a run as a user who may not
// keep a file's owner, writers at work on the file (leases), a directory
// swapped for a link. Each test checks the exit code the host sees, the
// message, and that no data was lost.
#include "tests/hemwright/FaultInjectionTest.h"
#include "tests/support/HostRunner.h"
#include "tests/support/InputDocument.h"
#include "tests/support/TestFiles.h"
#include "tests/support/posix/FileAttributes.h"
#include "tests/support/posix/PosixHostRunner.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

using testing_support::HostRun;
using testing_support::listDirectory;
using testing_support::PosixHostOptions;
using testing_support::PosixHostProcess;
using testing_support::readBytes;
using testing_support::writeBytes;

namespace {

// A run whose disk is full after bytes.
PosixHostOptions diskFullAfter(std::int64_t bytes) {
    PosixHostOptions options;
    options.fileSizeLimit = bytes;
    return options;
}

// --- A full disk ---------------------------------------------------------

TEST_F(FaultInjectionTest, DiskFullWhileCopyingKeepsTheFileAndStopsTheStepThere) {
    const std::string small = "small\n";
    const std::string big = lines("big", 40000);  // about 500 KiB, over the limit
    const std::string after = "after\n";
    writeBytes(work.file("1-small.txt"), small);
    writeBytes(work.file("2-big.txt"), big);
    writeBytes(work.file("3-after.txt"), after);
    writeInput(prefixAndSuffix("HEAD", "TAIL"),
               {work.file("1-small.txt"), work.file("2-big.txt"), work.file("3-after.txt")});

    const HostRun result = run(diskFullAfter(256 << 10));

    EXPECT_EQ(2001 & 0xFF, result.exitStatus);
    EXPECT_TRUE(hasUniqueNameBetween(errorLog(), "Failed to write output file '" + work.file("2-big.txt") + "-tmp-",
                                     "' to rewrite '" + work.file("2-big.txt") + "'. Reason: File too large."))
        << errorLog();
    // Files before the failing one stay rewritten, the failing one and those
    // after it keep their bytes, and the partial temporary file is gone.
    EXPECT_EQ("HEAD" + small + "TAIL", readBytes(work.file("1-small.txt")));
    EXPECT_EQ(big, readBytes(work.file("2-big.txt")));
    EXPECT_EQ(after, readBytes(work.file("3-after.txt")));
    EXPECT_EQ((std::vector<std::string>{"1-small.txt", "2-big.txt", "3-after.txt", "input.xml", "output.xml"}),
              entries());
}

TEST_F(FaultInjectionTest, DiskFullWhileWritingTheSuffixKeepsTheFile) {
    const std::string content(60000, 'c');
    const std::string suffix(400, 'S');
    writeBytes(work.file("a.txt"), content);
    writeInput(prefixAndSuffix("P", suffix), {work.file("a.txt")});

    // Room for the prefix and the content, not for the whole suffix.
    const HostRun result = run(diskFullAfter(60000 + 1 + 100));

    EXPECT_EQ(2001 & 0xFF, result.exitStatus);
    EXPECT_TRUE(hasUniqueNameBetween(errorLog(), "Failed to write output file '" + work.file("a.txt") + "-tmp-",
                                     "' to rewrite '" + work.file("a.txt") + "'. Reason: File too large."))
        << errorLog();
    EXPECT_EQ(content, readBytes(work.file("a.txt")));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "input.xml", "output.xml"}), entries());
}

TEST_F(FaultInjectionTest, DiskFullWhileWritingOutputDocumentGives3002AndNoPartialDocument) {
    writeBytes(work.file("a.txt"), "body");
    writeInput(prefixAndSuffix("H", "T"), {work.file("a.txt")});

    // The rewritten file fits; output.xml (several hundred bytes) does not.
    const HostRun result = run(diskFullAfter(64));

    EXPECT_EQ(3002 & 0xFF, result.exitStatus);
    EXPECT_EQ("Failed to write to file \"output.xml\". File too large\n", result.standardOutput);
    // The plugin's work is done and kept; the report is absent rather than
    // cut off, and its temporary file is gone.
    EXPECT_EQ("HbodyT", readBytes(work.file("a.txt")));
    EXPECT_EQ((std::vector<std::string>{"a.txt", "input.xml"}), entries());
}

// --- Memory that runs out --------------------------------------------------

// Under an address-space limit (a memory limit the kernel enforces at every
// allocation) memory may run out in the XML library's start-up, in its own
// failure handling or in the driver; no run then ends by abort or with 255.
// From just below what the program needs to start up to what a run needs,
// every run ends with a documented code: 0; 1001 or 1002 with output.xml;
// or, with too little even to start, 1002 and a line saying so.
// The file keeps its bytes or gets its new ones, and nothing is left behind.
TEST_F(FaultInjectionTest, RunsUnderAnAddressSpaceLimitEndWithADocumentedCode) {
    if (!testing_support::kAddressSpaceCanBeBounded) {
        GTEST_SKIP() << "built with AddressSanitizer, which reserves terabytes of address space: no bound can be set";
    }
    std::string manyElements;
    for (int index = 0; index < 20000; ++index) {
        manyElements += element("Element" + std::to_string(index), "value number " + std::to_string(index));
    }
    const struct {
        const char* what;
        std::string dataElements;
        std::int64_t step;
    } documents[] = {
        {"an ordinary input.xml", element("DataToPrepend", "H"), 64 << 10},
        {"20,000 data elements", element("DataToPrepend", "H") + manyElements, 2 << 20},
    };
    std::int64_t lowest = -1;
    for (const auto& d : documents) {
        writeBytes(work.file("a.txt"), "body");
        writeInput(d.dataElements, {work.file("a.txt")});
        const std::int64_t needed = testing_support::smallestAddressSpaceToSucceed(HEMWRIGHT_EXECUTABLE, work.path());
        ASSERT_GT(needed, 0) << d.what << " does not run under 1 GiB of address space";
        if (lowest < 0) {
            // What a run needs less about what the XML library's start-up
            // and a parse take (1.8 MiB here): far below that the program
            // cannot even be loaded.
            lowest = needed - (5 << 18);
        }
        for (std::int64_t limit = lowest; limit <= needed; limit += d.step) {
            SCOPED_TRACE(std::string(d.what) + " under " + std::to_string(limit >> 10) + " KiB");
            writeBytes(work.file("a.txt"), "body");
            ::unlink(work.file("output.xml").c_str());
            PosixHostOptions options;
            options.addressSpaceLimit = limit;
            const HostRun result = run(options);
            ASSERT_TRUE(result.exited);
            const int status = result.exitStatus;
            ASSERT_TRUE(status == 0 || status == (1001 & 0xFF) || status == (1002 & 0xFF)) << status;
            if (result.standardOutput == "Not enough memory to start: std::bad_alloc\n") {
                EXPECT_EQ(1002 & 0xFF, status);
                EXPECT_EQ((std::vector<std::string>{"a.txt", "input.xml"}), entries());
                continue;
            }
            EXPECT_EQ("", result.standardOutput);
            EXPECT_EQ(status != 0, !errorLog().empty()) << errorLog();
            EXPECT_EQ(status == 0 ? "Hbody" : "body", readBytes(work.file("a.txt")));
            EXPECT_EQ((std::vector<std::string>{"a.txt", "input.xml", "output.xml"}), entries());
        }
    }
}

// --- Input files that cannot be read -------------------------------------

// A FIFO must not block the open; a link that leads nowhere stays as it is.
TEST_F(FaultInjectionTest, FifoOrBrokenLinkIsRefusedWithoutWaitingOrChangingIt) {
    const std::string fifo = work.file("fifo");
    const std::string brokenLink = work.file("broken");
    ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0644));
    ASSERT_EQ(0, ::symlink(work.file("nowhere").c_str(), brokenLink.c_str()));

    const std::pair<std::string, std::string> cases[] = {
        {fifo, "It is not a regular file"},
        {brokenLink, "No such file or directory"},
    };
    for (const auto& [path, reason] : cases) {
        SCOPED_TRACE(path);
        writeInput(prefixAndSuffix("A", "Z"), {path});
        testing_support::HostOptions options;
        options.timeout = std::chrono::seconds(10);  // a FIFO must not block the open

        EXPECT_EQ(2001 & 0xFF, run(options).exitStatus);
        EXPECT_EQ("Failed to open input file '" + path + "'. Reason: " + reason + ".", errorLog());
    }
    struct stat info {};
    ASSERT_EQ(0, ::lstat(fifo.c_str(), &info));
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(0, ::lstat(brokenLink.c_str(), &info));
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ((std::vector<std::string>{"broken", "fifo", "input.xml", "output.xml"}), entries());
}

// Run by a user who may not give files away: the file then belongs to that
// user and does not become a set-id program of theirs; a directory that user
// may not write to fails the file and leaves it as it was.
TEST_F(FaultInjectionTest, RunAsAnotherUserKeepsWhatItMayAndFailsCleanlyWhereItMayNot) {
    if (!testing_support::runningAsRoot()) {
        GTEST_SKIP() << "needs root to run the program as nobody";
    }
    if (const std::string why = testing_support::whyOtherUsersCannotWorkIn(work.path()); !why.empty()) {
        GTEST_SKIP() << why;
    }
    PosixHostOptions asNobody;
    asNobody.user = 65534;
    asNobody.group = 65534;
    ASSERT_EQ(0, ::chmod(work.path().c_str(), 0777));
    const std::string setId = work.file("setid");
    writeBytes(setId, "x");
    ASSERT_EQ(0, ::chmod(setId.c_str(), 06777));
    writeInput(prefixAndSuffix("A", "Z"), {setId});

    EXPECT_EQ(0, run(asNobody).exitStatus);
    struct stat info {};
    ASSERT_EQ(0, ::stat(setId.c_str(), &info));
    EXPECT_EQ(65534u, info.st_uid);
    EXPECT_EQ(0777u, info.st_mode & 07777);
    EXPECT_EQ("AxZ", readBytes(setId));

    const std::string locked = work.file("locked");
    ASSERT_EQ(0, ::mkdir(locked.c_str(), 0755));
    const std::string inLocked = locked + "/file";
    writeBytes(inLocked, "content");
    ASSERT_EQ(0, ::chmod(inLocked.c_str(), 0666));
    writeInput(prefixAndSuffix("A", "Z"), {inLocked});

    EXPECT_EQ(2001 & 0xFF, run(asNobody).exitStatus);
    EXPECT_TRUE(hasUniqueNameBetween(errorLog(), "Failed to open output file '" + inLocked + "-tmp-",
                                     "' to rewrite '" + inLocked + "'. Reason: Permission denied."))
        << errorLog();
    EXPECT_EQ("content", readBytes(inLocked));
    EXPECT_EQ(std::vector<std::string>{"file"}, listDirectory(locked));
}

// --- output.xml that cannot be written -----------------------------------

// A link named output.xml is replaced by the document; the file it pointed
// to is never written.
TEST_F(FaultInjectionTest, OutputDocumentThatIsALinkIsReplacedNotFollowed) {
    testing_support::ScopedTempDir elsewhere;
    writeBytes(elsewhere.file("precious"), "keep");
    ASSERT_EQ(0, ::symlink(elsewhere.file("precious").c_str(), work.file("output.xml").c_str()));
    writeInput(prefixAndSuffix("[", "]"), {});

    EXPECT_EQ(0, run().exitStatus);
    struct stat info {};
    ASSERT_EQ(0, ::lstat(work.file("output.xml").c_str(), &info));
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_NE(std::string::npos, readBytes(work.file("output.xml")).find("</VellamorPlugin>"));
    EXPECT_EQ("keep", readBytes(elsewhere.file("precious")));
}

// --- Other processes at work --------------------------------------------------

// A live log: a writer that keeps the file open and appends to it all along.
// The file is refused and every line the writer appended is there.
TEST_F(FaultInjectionTest, FileAnotherProcessKeepsOpenForWritingIsLeftAloneWithEveryLine) {
    const std::string log = work.file("live.log");
    writeBytes(log, "start\n");
    writeInput(prefixAndSuffix("STAMP", ""), {log});
    std::atomic<bool> stop{false};
    int written = 0;
    std::thread writer([&] {
        const int descriptor = ::open(log.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        ASSERT_LE(0, descriptor);
        while (!stop) {
            const std::string line = "line " + std::to_string(written) + "\n";
            ASSERT_EQ(static_cast<ssize_t>(line.size()), ::write(descriptor, line.data(), line.size()));
            ++written;
        }
        ::close(descriptor);
    });
    while (written < 100) {
        std::this_thread::yield();
    }
    const HostRun result = run();
    stop = true;
    writer.join();

    EXPECT_EQ(2001 & 0xFF, result.exitStatus);
    EXPECT_EQ("Input file '" + log + kOpenForWriting, errorLog());
    std::string expected = "start\n";
    for (int i = 0; i < written; ++i) {
        expected += "line " + std::to_string(i) + "\n";
    }
    EXPECT_TRUE(readBytes(log) == expected) << written << " lines written";
}

// A writer that opens the file while it is being copied waits until the
// program gives the file up; the program then leaves the file alone, and what
// the writer appends lands in it.
TEST_F(FaultInjectionTest, WriterArrivingDuringTheRewriteWaitsAndLosesNothing) {
    const std::string big = lines("big", 1 << 20);  // about 14 MiB
    const std::string path = work.file("big.log");
    writeBytes(path, big);
    writeInput(prefixAndSuffix("STAMP", ""), {path});
    PosixHostProcess process(HEMWRIGHT_EXECUTABLE, work.path());
    ASSERT_TRUE(process.stopWhen([&] {
        for (const std::string& name : entries()) {
            if (name.find("-tmp-") != std::string::npos) {
                return true;
            }
        }
        return false;
    })) << "never saw the rewrite in progress";
    // The writer's open waits for the stopped program to give the file up.
    const pid_t writer = ::fork();
    ASSERT_LE(0, writer);
    if (writer == 0) {
        const int descriptor = ::open(path.c_str(), O_WRONLY | O_APPEND);
        _exit(descriptor >= 0 && ::write(descriptor, "appended\n", 9) == 9 ? 0 : 1);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const HostRun result = process.signalAndWait(SIGCONT);
    int status = 0;
    ASSERT_EQ(writer, ::waitpid(writer, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    EXPECT_EQ(2001 & 0xFF, result.exitStatus);
    EXPECT_EQ("Input file '" + path + kChangedMeanwhile, errorLog());
    EXPECT_TRUE(readBytes(path) == big + "appended\n");
    EXPECT_EQ((std::vector<std::string>{"big.log", "input.xml", "output.xml"}), entries());
}

// A user who owns a directory on a file's path swaps it for a symbolic link
// to a directory only root may write, again and again, while root runs the
// step. Every step reads, writes and renames in the one directory the file
// was found in: the root-only file never gets that user's bytes or owner,
// and no temporary file is left anywhere.
TEST_F(FaultInjectionTest, DirectorySwappedForALinkDuringTheRunNeverMixesTwoDirectories) {
    if (!testing_support::runningAsRoot()) {
        GTEST_SKIP() << "needs root to run the step while nobody swaps the directory";
    }
    if (const std::string why = testing_support::whyOtherUsersCannotWorkIn(work.path()); !why.empty()) {
        GTEST_SKIP() << why;
    }
    ASSERT_EQ(0, ::chmod(work.path().c_str(), 0755));
    const std::string rootOnly = work.file("root-only");
    const std::string users = work.file("users");
    ASSERT_EQ(0, ::mkdir(rootOnly.c_str(), 0700));
    ASSERT_EQ(0, ::mkdir(users.c_str(), 0755));
    ASSERT_EQ(0, ::mkdir((users + "/sub").c_str(), 0755));
    ASSERT_EQ(0, ::symlink(rootOnly.c_str(), (users + "/other").c_str()));
    writeBytes(rootOnly + "/f", "ROOT\n");
    ASSERT_EQ(0, ::chmod((rootOnly + "/f").c_str(), 0600));
    writeBytes(users + "/sub/f", "USER\n");
    for (const std::string& path : {users, users + "/sub", users + "/sub/f", users + "/other"}) {
        ASSERT_EQ(0, ::lchown(path.c_str(), 65534, 65534));
    }
    writeInput(element("DataToPrepend", "P&#10;"), {users + "/sub/f"});

    const pid_t swapper = ::fork();
    ASSERT_LE(0, swapper);
    if (swapper == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0) {
            _exit(1);
        }
        const std::string sub = users + "/sub";
        const std::string other = users + "/other";
        for (;;) {
            ::renameat2(AT_FDCWD, sub.c_str(), AT_FDCWD, other.c_str(), RENAME_EXCHANGE);
        }
    }
    constexpr int kRuns = 100;
    int succeeded = 0;
    for (int i = 0; i < kRuns; ++i) {
        const HostRun result = run();
        succeeded += result.exitStatus == 0 ? 1 : 0;
    }
    ::kill(swapper, SIGKILL);
    ::waitpid(swapper, nullptr, 0);

    // The user's directory is whichever of the two names is no link now.
    struct stat info {};
    ASSERT_EQ(0, ::lstat((users + "/sub").c_str(), &info));
    const std::string userDirectory = users + (S_ISDIR(info.st_mode) ? "/sub" : "/other");
    const std::string rootFile = readBytes(rootOnly + "/f");
    const std::string userFile = readBytes(userDirectory + "/f");
    EXPECT_EQ("ROOT\n", rootFile.substr(rootFile.size() - 5));
    EXPECT_EQ("USER\n", userFile.substr(userFile.size() - 5));
    EXPECT_EQ(std::string::npos, rootFile.find("USER"));
    EXPECT_EQ(std::string::npos, userFile.find("ROOT"));
    EXPECT_EQ(2 * static_cast<std::size_t>(succeeded), rootFile.size() + userFile.size() - 10);
    ASSERT_EQ(0, ::stat((rootOnly + "/f").c_str(), &info));
    EXPECT_EQ(0u, info.st_uid);
    EXPECT_EQ(0600u, info.st_mode & 07777);
    EXPECT_EQ(std::vector<std::string>{"f"}, listDirectory(rootOnly));
    EXPECT_EQ(std::vector<std::string>{"f"}, listDirectory(userDirectory));
    EXPECT_EQ((std::vector<std::string>{"other", "sub"}), listDirectory(users));
    EXPECT_LT(kRuns / 2, succeeded);
}

// --- Symbolic links --------------------------------------------------------

// The link is replaced by a regular file with the new content; the file it
// pointed to keeps its bytes. Nothing is lost, and a file elsewhere is never
// written through a link: the rewrite only ever replaces the listed name.
TEST_F(FaultInjectionTest, SymbolicLinkToAFileIsReplacedAndItsTargetKeptAsItWas) {
    testing_support::ScopedTempDir elsewhere;
    const std::string target = elsewhere.file("target.txt");
    writeBytes(target, "shared");
    ASSERT_EQ(0, ::chmod(target.c_str(), 0640));
    const std::string link = work.file("link.txt");
    ASSERT_EQ(0, ::symlink(target.c_str(), link.c_str()));
    writeInput(prefixAndSuffix("A", "Z"), {link});

    EXPECT_EQ(0, run().exitStatus);

    struct stat info {};
    ASSERT_EQ(0, ::lstat(link.c_str(), &info));
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(0640u, info.st_mode & 07777u);
    EXPECT_EQ("AsharedZ", readBytes(link));
    EXPECT_EQ("shared", readBytes(target));
    EXPECT_EQ((std::vector<std::string>{"target.txt"}), listDirectory(elsewhere.path()));
    EXPECT_EQ((std::vector<std::string>{"input.xml", "link.txt", "output.xml"}), entries());
}

}  // namespace
