// Kills the executable with SIGKILL while it rewrites files and checks that
// every input file is then either exactly its old content or exactly the new
// one, never a mixture, a truncation or nothing; and that a clean run that
// follows rewrites everything and leaves no temporary file of its own.
//
// The quick tests kill at chosen states (the temporary file has appeared, a
// given file of a step has been replaced) and at delays spread over one clean
// run. CrashSoak.DISABLED_RandomKills is the long randomised run behind
// scripts/crash-soak.sh; it is configured from the environment.
#include "util/ReplacementBatch.h"
#include "tests/support/posix/LoopMount.h"
#include "tests/support/posix/PosixHostRunner.h"
#include "tests/support/InputDocument.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

using testing_support::PosixHostOptions;
using testing_support::PosixHostProcess;
using testing_support::HostRun;
using testing_support::listDirectory;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::writeBytes;

namespace {

constexpr char kPrefix[] = "<<HEMWRIGHT-CRASH-HEAD>>\n";
constexpr char kSuffix[] = "\n<<HEMWRIGHT-CRASH-TAIL>>";
constexpr std::size_t kPatternBlock = std::size_t(1) << 20;

// The content of the large file: one random block of 1 MiB repeated, each
// copy stamped with its index in its first eight bytes, so that a block
// copied twice, lost or put in the wrong place does not compare equal.
class Pattern {
public:
    Pattern() : block_(kPatternBlock) {
        std::mt19937_64 random(0x5eed);
        for (std::size_t i = 0; i < kPatternBlock; i += 8) {
            const std::uint64_t value = random();
            std::memcpy(&block_[i], &value, 8);
        }
    }

    // The bytes at [offset, offset + size) of the pattern.
    void fill(std::uint64_t offset, char* out, std::size_t size) const {
        while (size > 0) {
            const std::uint64_t index = offset / kPatternBlock;
            const std::size_t within = static_cast<std::size_t>(offset % kPatternBlock);
            const std::size_t count = std::min(size, kPatternBlock - within);
            std::memcpy(out, &block_[within], count);
            for (std::size_t i = within; i < 8 && i < within + count; ++i) {
                out[i - within] = static_cast<char>(index >> (8 * i));
            }
            out += count;
            offset += count;
            size -= count;
        }
    }

private:
    std::vector<char> block_;
};

const Pattern& pattern() {
    static const Pattern instance;
    return instance;
}

void writePatternFile(const std::string& path, std::uint64_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<char> buffer(kPatternBlock);
    for (std::uint64_t offset = 0; offset < size; offset += kPatternBlock) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(kPatternBlock, size - offset));
        pattern().fill(offset, buffer.data(), count);
        out.write(buffer.data(), static_cast<std::streamsize>(count));
    }
    out.close();
    ASSERT_TRUE(out.good()) << "cannot write " << path;
}

std::uint64_t fileSize(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : UINT64_MAX;
}

// Whether the file holds exactly head, the first size bytes of the pattern
// and tail. Streams the file; the size is compared first so that a wrong
// length costs nothing.
bool holdsPattern(const std::string& path, const std::string& head, std::uint64_t size, const std::string& tail) {
    if (fileSize(path) != head.size() + size + tail.size()) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    std::string actual(std::max(head.size(), tail.size()), '\0');
    if (!in.read(&actual[0], static_cast<std::streamsize>(head.size())) ||
        actual.compare(0, head.size(), head) != 0) {
        return false;
    }
    std::vector<char> got(kPatternBlock);
    std::vector<char> expected(kPatternBlock);
    for (std::uint64_t offset = 0; offset < size; offset += kPatternBlock) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(kPatternBlock, size - offset));
        if (!in.read(got.data(), static_cast<std::streamsize>(count))) {
            return false;
        }
        pattern().fill(offset, expected.data(), count);
        if (std::memcmp(got.data(), expected.data(), count) != 0) {
            return false;
        }
    }
    return in.read(&actual[0], static_cast<std::streamsize>(tail.size())) && actual.compare(0, tail.size(), tail) == 0;
}

enum class State { Old, New, Damaged };

const char* stateName(State state) {
    return state == State::Old ? "old" : state == State::New ? "new" : "DAMAGED";
}

std::vector<std::string> temporaryFiles(const std::string& directory) {
    std::vector<std::string> names;
    for (const std::string& name : listDirectory(directory)) {
        if (name.find("-tmp-") != std::string::npos) {
            names.push_back(name);
        }
    }
    return names;
}

std::string inputDocument(const std::vector<std::string>& paths) {
    return testing_support::inputDocument(
        testing_support::dataElementXml("DataToPrepend", "string", "&lt;&lt;HEMWRIGHT-CRASH-HEAD&gt;&gt;&#10;") +
            testing_support::dataElementXml("DataToAppend", "string", "&#10;&lt;&lt;HEMWRIGHT-CRASH-TAIL&gt;&gt;"),
        paths);
}

PosixHostOptions generousTimeout() {
    PosixHostOptions options;
    options.timeout = std::chrono::seconds(120);
    return options;
}

// One large file in a working directory of its own.
class LargeFileStep {
public:
    explicit LargeFileStep(std::uint64_t size, const std::string& name = "big.bin")
        : size_(size), path_(work_.file(name)) {
        writeBytes(work_.file("input.xml"), inputDocument({path_}));
        restore();
    }

    const std::string& directory() const { return work_.path(); }

    State state() const {
        if (holdsPattern(path_, "", size_, "")) {
            return State::Old;
        }
        return holdsPattern(path_, kPrefix, size_, kSuffix) ? State::New : State::Damaged;
    }

    void restore() { writePatternFile(path_, size_); }

    // Whether a temporary file not remembered before holds at least bytes.
    bool temporaryFileHolds(std::uint64_t bytes) const {
        for (const std::string& name : temporaryFiles(work_.path())) {
            const std::uint64_t size = fileSize(work_.file(name));
            if (known_.count(name) == 0 && size != UINT64_MAX && size >= bytes) {
                return true;
            }
        }
        return false;
    }

    // Remembers the temporary files present now, so that later ones can be
    // told apart.
    std::set<std::string> rememberTemporaryFiles() {
        const std::vector<std::string> names = temporaryFiles(work_.path());
        known_ = std::set<std::string>(names.begin(), names.end());
        return known_;
    }

private:
    ScopedTempDir work_;
    std::uint64_t size_;
    std::string path_;
    std::set<std::string> known_;
};

// A step of many small files, each with content of its own.
class ManyFilesStep {
public:
    explicit ManyFilesStep(int count) {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "f%03d.txt", i);
            paths.push_back(work_.file(name));
            std::string content = "file " + std::to_string(i) + "\n";
            for (int line = 0; line < 40 + i % 17; ++line) {
                content += "line " + std::to_string(line) + " of file " + std::to_string(i) + "\r\n";
            }
            contents_.push_back(content);
        }
        paths_ = paths;
        writeBytes(work_.file("input.xml"), inputDocument(paths_));
        restore();
    }

    const std::string& directory() const { return work_.path(); }
    const std::string& path(int index) const { return paths_[static_cast<std::size_t>(index)]; }
    int size() const { return static_cast<int>(paths_.size()); }

    State state(int index) const {
        const std::string actual = readBytes(paths_[static_cast<std::size_t>(index)]);
        const std::string& old = contents_[static_cast<std::size_t>(index)];
        if (actual == old) {
            return State::Old;
        }
        return actual == kPrefix + old + kSuffix ? State::New : State::Damaged;
    }

    // Checks that every file is old or new and that the new ones come first
    // (files are rewritten in the order of the list). Returns how many are
    // new, or -1 (after adding the test failures) when that does not hold.
    int checkConsistent() const {
        int rewritten = 0;
        bool consistent = true;
        for (int i = 0; i < size(); ++i) {
            const State current = state(i);
            if (current == State::Damaged || (current == State::New && rewritten != i)) {
                ADD_FAILURE() << paths_[static_cast<std::size_t>(i)] << " is " << stateName(current) << " after "
                              << rewritten << " rewritten files";
                consistent = false;
            }
            if (current == State::New) {
                ++rewritten;
            }
        }
        return consistent ? rewritten : -1;
    }

    void restore() {
        for (int i = 0; i < size(); ++i) {
            writeBytes(paths_[static_cast<std::size_t>(i)], contents_[static_cast<std::size_t>(i)]);
        }
    }

    ino_t inode(int index) const {
        struct stat info {};
        return ::stat(path(index).c_str(), &info) == 0 ? info.st_ino : 0;
    }

private:
    ScopedTempDir work_;
    std::vector<std::string> paths_;
    std::vector<std::string> contents_;
};

HostRun runToCompletion(const std::string& directory) {
    PosixHostProcess process(HEMWRIGHT_EXECUTABLE, directory, generousTimeout());
    return process.wait();
}

HostRun killWhen(const std::string& directory, const std::function<bool()>& condition) {
    PosixHostProcess process(HEMWRIGHT_EXECUTABLE, directory, generousTimeout());
    process.stopWhen(condition);
    return process.kill();
}

HostRun killAfter(const std::string& directory, std::chrono::microseconds delay) {
    const auto until = std::chrono::steady_clock::now() + delay;
    return killWhen(directory, [&] { return std::chrono::steady_clock::now() >= until; });
}

// A clean run after earlier kills: everything becomes new, exit code 0, and
// the only temporary files left are those the killed runs left behind.
template <typename Step>
void expectCleanRunLeavesNoTemporaryFile(Step& step, const std::set<std::string>& leftovers) {
    const HostRun run = runToCompletion(step.directory());
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(0, run.exitStatus);
    const std::vector<std::string> after = temporaryFiles(step.directory());
    EXPECT_EQ(leftovers, std::set<std::string>(after.begin(), after.end()));
}

constexpr std::uint64_t kQuickFileSize = std::uint64_t(32) << 20;

// Stops the rewrite of step's file with signal, then checks that the run
// ended by it and left the file old and no temporary file; the temporary
// file seen mid-rewrite has a name of temporaryNameSize bytes (0: any).
void expectSignalMidRewriteRemovesTheTemporaryFile(LargeFileStep& step, int signal,
                                                   std::size_t temporaryNameSize = 0) {
    SCOPED_TRACE(strsignal(signal));
    bool caughtMidCopy = false;
    for (int attempt = 0; attempt < 3 && !caughtMidCopy; ++attempt) {
        PosixHostProcess process(HEMWRIGHT_EXECUTABLE, step.directory(), generousTimeout());
        caughtMidCopy = process.stopWhen([&] { return step.temporaryFileHolds(1); }) && step.temporaryFileHolds(1);
        if (caughtMidCopy && temporaryNameSize != 0) {
            const std::vector<std::string> names = temporaryFiles(step.directory());
            ASSERT_EQ(1u, names.size());
            EXPECT_EQ(temporaryNameSize, names.front().size()) << names.front();
        }
        const HostRun run = caughtMidCopy ? process.signalAndWait(signal) : process.wait();
        if (caughtMidCopy) {
            EXPECT_TRUE(run.killedBySignal);
            EXPECT_EQ(signal, run.signalNumber);
            EXPECT_EQ(State::Old, step.state());
        }
        EXPECT_TRUE(temporaryFiles(step.directory()).empty());
        step.restore();
    }
    EXPECT_TRUE(caughtMidCopy) << "never saw the rewrite in progress";
}

// A host or an operator that stops a step sends a signal that ends a
// program (a CPU-time limit sends SIGXCPU): the program removes the temporary
// file it was writing and ends by that same signal, so the host still sees a
// stopped step and nothing is left over.
TEST(CrashSafetyTest, TerminationSignalMidRewriteRemovesTheTemporaryFileAndEndsByIt) {
    LargeFileStep step(kQuickFileSize);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2, SIGALRM, SIGVTALRM, SIGPROF, SIGXCPU,
                             SIGPWR, SIGRTMIN, SIGRTMIN + 3, SIGRTMAX}) {
        expectSignalMidRewriteRemovesTheTemporaryFile(step, signal);
    }
    // The longest temporary name a directory takes is removed too.
    LargeFileStep longestName(kQuickFileSize, std::string(255, 'n'));
    expectSignalMidRewriteRemovesTheTemporaryFile(longestName, SIGTERM, 255);
}

// A lease's notice (SIGIO) is never a request to stop: not before any lease
// has been taken (input.xml's mark is removed first; a run without files
// takes none), nor while a file is rewritten under one.
TEST(CrashSafetyTest, LeaseNoticeNeverEndsTheRun) {
    ScopedTempDir work;
    writeBytes(work.file("input.xml"),
               "\xEF\xBB\xBF" + testing_support::inputDocument(testing_support::dataElementXml(
                                   "Large", "string", std::string(64 << 20, 'v')), {}));
    PosixHostProcess process(HEMWRIGHT_EXECUTABLE, work.path(), generousTimeout());
    const bool caughtAtMark = process.stopWhen([&] { return !temporaryFiles(work.path()).empty(); });
    const HostRun run = caughtAtMark ? process.signalAndWait(SIGIO) : process.wait();
    EXPECT_TRUE(caughtAtMark) << "never saw the mark being removed";
    EXPECT_TRUE(run.exited) << "ended by signal " << run.signalNumber;
    EXPECT_EQ(0, run.exitStatus);

    LargeFileStep step(kQuickFileSize);
    PosixHostProcess rewriting(HEMWRIGHT_EXECUTABLE, step.directory(), generousTimeout());
    const bool caughtMidCopy = rewriting.stopWhen([&] { return step.temporaryFileHolds(1); });
    const HostRun rewritten = caughtMidCopy ? rewriting.signalAndWait(SIGIO) : rewriting.wait();
    EXPECT_TRUE(caughtMidCopy) << "never saw the rewrite in progress";
    EXPECT_TRUE(rewritten.exited) << "ended by signal " << rewritten.signalNumber;
    EXPECT_EQ(0, rewritten.exitStatus);
    EXPECT_EQ(State::New, step.state());
    EXPECT_TRUE(temporaryFiles(step.directory()).empty());
}

// A step started with a signal ignored (nohup ignores SIGHUP) keeps
// ignoring it: the rewrite goes on and completes.
TEST(CrashSafetyTest, SignalIgnoredAtStartStaysIgnored) {
    LargeFileStep step(kQuickFileSize);
    PosixHostOptions options = generousTimeout();
    options.ignoredSignal = SIGHUP;
    PosixHostProcess process(HEMWRIGHT_EXECUTABLE, step.directory(), options);
    const bool caughtMidCopy = process.stopWhen([&] { return step.temporaryFileHolds(1); });
    const HostRun run = caughtMidCopy ? process.signalAndWait(SIGHUP) : process.wait();
    EXPECT_TRUE(caughtMidCopy) << "never saw the rewrite in progress";
    EXPECT_TRUE(run.exited) << "ended by signal " << run.signalNumber;
    EXPECT_EQ(0, run.exitStatus);
    EXPECT_EQ(State::New, step.state());
    EXPECT_TRUE(temporaryFiles(step.directory()).empty());
}

TEST(CrashSafetyTest, TerminationSignalWhileOutputDocumentIsWrittenLeavesNoPartOfIt) {
    // A large value makes output.xml take long enough to be caught.
    ScopedTempDir work;
    writeBytes(work.file("input.xml"),
               testing_support::inputDocument(
                   testing_support::dataElementXml("Large", "string", std::string(16 << 20, 'v')), {}));
    bool caught = false;
    for (int attempt = 0; attempt < 3 && !caught; ++attempt) {
        PosixHostProcess process(HEMWRIGHT_EXECUTABLE, work.path(), generousTimeout());
        caught = process.stopWhen([&] { return !temporaryFiles(work.path()).empty(); });
        const HostRun run = caught ? process.signalAndWait(SIGTERM) : process.wait();
        if (caught) {
            EXPECT_TRUE(run.killedBySignal);
            EXPECT_EQ(SIGTERM, run.signalNumber);
            EXPECT_EQ(std::vector<std::string>{"input.xml"}, listDirectory(work.path()));
        }
        ::unlink(work.file("output.xml").c_str());
    }
    EXPECT_TRUE(caught) << "never saw output.xml being written";
}

TEST(CrashSafetyTest, KillWhileTheTemporaryFileGrowsLeavesTheInputAsItWas) {
    LargeFileStep step(kQuickFileSize);
    step.rememberTemporaryFiles();
    // The content is copied in a fraction of a second; on a busy machine the
    // poll may see the temporary file only after the rename, so a few
    // attempts are allowed to catch the copy in the middle.
    bool caughtMidCopy = false;
    for (int attempt = 0; attempt < 3 && !caughtMidCopy; ++attempt) {
        PosixHostProcess process(HEMWRIGHT_EXECUTABLE, step.directory(), generousTimeout());
        const bool stopped = process.stopWhen([&] { return step.temporaryFileHolds(1); });
        // Stopped with a temporary file present means the rename has not
        // happened: the input must be the old content, whatever comes next.
        caughtMidCopy = stopped && step.temporaryFileHolds(1);
        process.kill();
        const State state = step.state();
        if (caughtMidCopy) {
            EXPECT_EQ(State::Old, state);
        } else {
            EXPECT_NE(State::Damaged, state);
            step.restore();
        }
    }
    ASSERT_TRUE(caughtMidCopy) << "never saw the rewrite in progress";
    const std::set<std::string> leftovers = step.rememberTemporaryFiles();
    EXPECT_EQ(1u, leftovers.size());

    expectCleanRunLeavesNoTemporaryFile(step, leftovers);
    EXPECT_EQ(State::New, step.state());
}

TEST(CrashSafetyTest, KillsSpreadOverARunLeaveTheLargeFileOldOrNew) {
    LargeFileStep step(kQuickFileSize);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(0, runToCompletion(step.directory()).exitStatus);
    const auto cleanRun =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    ASSERT_EQ(State::New, step.state());
    step.restore();

    // From before the input is read to after the rename (tenths of one run).
    for (int tenth : {0, 2, 4, 6, 8, 10, 12}) {
        killAfter(step.directory(), cleanRun * tenth / 10);
        const State state = step.state();
        EXPECT_NE(State::Damaged, state) << "killed at " << tenth << "/10 of a run";
        if (state == State::New) {
            step.restore();
        }
    }
    std::set<std::string> leftovers;
    for (const std::string& name : temporaryFiles(step.directory())) {
        leftovers.insert(name);
    }
    expectCleanRunLeavesNoTemporaryFile(step, leftovers);
    EXPECT_EQ(State::New, step.state());
}

TEST(CrashSafetyTest, KillDuringAStepOfManyFilesLeavesEachFileOldOrNewInListOrder) {
    ManyFilesStep step(300);
    // Stop as soon as file 100 has been replaced (the rename gives the name a
    // new inode): the files up to it are new, the later ones old, and at
    // most the files of the batch in hand have temporary files. On a busy machine
    // the poll may miss the moment and the run end first; a few attempts are
    // allowed.
    bool stopped = false;
    for (int attempt = 0; attempt < 3 && !stopped; ++attempt) {
        step.restore();
        const ino_t original = step.inode(100);
        PosixHostProcess process(HEMWRIGHT_EXECUTABLE, step.directory(), generousTimeout());
        stopped = process.stopWhen([&] { return step.inode(100) != original; });
        process.kill();
    }
    ASSERT_TRUE(stopped) << "never saw the step in progress";
    const int rewritten = step.checkConsistent();
    EXPECT_GE(rewritten, 101);
    EXPECT_LT(rewritten, step.size());
    const std::vector<std::string> leftovers = temporaryFiles(step.directory());
    EXPECT_LE(leftovers.size(), ostrel::ReplacementBatch::kMaxFiles);

    // A kill at the very start touches nothing.
    step.restore();
    killAfter(step.directory(), std::chrono::microseconds(0));
    EXPECT_EQ(0, step.checkConsistent());

    step.restore();
    const std::vector<std::string> before = temporaryFiles(step.directory());
    expectCleanRunLeavesNoTemporaryFile(step, std::set<std::string>(before.begin(), before.end()));
    EXPECT_EQ(step.size(), step.checkConsistent());
}

// A stop during a batch removes every temporary file the batch holds.
TEST(CrashSafetyTest, TerminationSignalDuringAFullBatchRemovesEveryTemporaryFile) {
    ManyFilesStep step(300);
    bool caught = false;
    for (int attempt = 0; attempt < 3 && !caught; ++attempt) {
        step.restore();
        PosixHostProcess process(HEMWRIGHT_EXECUTABLE, step.directory(), generousTimeout());
        caught = process.stopWhen([&] { return temporaryFiles(step.directory()).size() >= 200; });
        const HostRun run = caught ? process.signalAndWait(SIGTERM) : process.wait();
        if (caught) {
            EXPECT_TRUE(run.killedBySignal);
            EXPECT_EQ(SIGTERM, run.signalNumber);
            step.checkConsistent();
        }
        EXPECT_TRUE(temporaryFiles(step.directory()).empty());
    }
    EXPECT_TRUE(caught) << "never saw a full batch in progress";
}

// A power cut the moment the program exits: an XFS file system on a loop
// device, whose image is copied then (the copy holds every write the file
// system had sent to its device, as a cut keeps), and the copy mounted.
// Every file is stamped and whole, and output.xml is whole: without the
// flushes XFS showed the renamed files empty.
TEST(CrashSafetyTest, PowerCutTheMomentTheRunEndsKeepsEveryReplacement) {
    ScopedTempDir scratch;
    const std::string copy = scratch.file("copy.img");
    std::vector<std::string> contents;
    {
        const testing_support::LoopMount live("xfs", "");
        if (!live.made()) {
            GTEST_SKIP() << live.refusal();
        }
        const std::string work = live.path() + "/work";
        ASSERT_EQ(0, ::mkdir(work.c_str(), 0755));
        ASSERT_EQ(0, ::mkdir((work + "/data").c_str(), 0755));
        std::vector<std::string> paths;
        for (int index = 0; index < 5; ++index) {
            paths.push_back(work + "/data/f" + std::to_string(index));
            contents.push_back(std::string(20000 + index, static_cast<char>('a' + index)));
            writeBytes(paths.back(), contents.back());
        }
        writeBytes(work + "/input.xml", inputDocument(paths));
        ::sync();
        const HostRun run = runToCompletion(work);
        ASSERT_TRUE(live.copyImage(copy));
        ASSERT_TRUE(run.exited);
        ASSERT_EQ(0, run.exitStatus);
    }
    const testing_support::LoopMount cut("xfs", "nouuid", copy);
    ASSERT_TRUE(cut.made()) << cut.refusal();
    for (std::size_t index = 0; index < contents.size(); ++index) {
        SCOPED_TRACE(index);
        const std::string after = readBytes(cut.path() + "/work/data/f" + std::to_string(index));
        EXPECT_TRUE(after == "<<HEMWRIGHT-CRASH-HEAD>>\n" + contents[index] + "\n<<HEMWRIGHT-CRASH-TAIL>>")
            << after.size() << " bytes";
    }
    const std::string output = readBytes(cut.path() + "/work/output.xml");
    EXPECT_NE(std::string::npos, output.find("</PipelinePluginOutput>")) << output.size() << " bytes of output.xml";
}

long environmentNumber(const char* name, long fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtol(text, nullptr, 10) : fallback;
}

void removeTemporaryFiles(const std::string& directory) {
    for (const std::string& name : temporaryFiles(directory)) {
        std::remove((directory + "/" + name).c_str());
    }
}

// The long randomised run. Environment: HEMWRIGHT_SOAK_KILLS (default 200),
// HEMWRIGHT_SOAK_SIZE_MIB (large file, default 128), HEMWRIGHT_SOAK_FILES
// (files of the step, default 300), HEMWRIGHT_SOAK_SEED (default: time).
// Half of the kills hit the large file, half the step of many files, each at
// a random moment between the start and a little after the end of a clean
// run. After every kill the files are checked and the temporary files left
// behind counted; then a clean run with those leftovers in place must finish
// the job and add none, and the leftovers are removed to save disk space.
TEST(CrashSoak, DISABLED_RandomKills) {
    const long kills = environmentNumber("HEMWRIGHT_SOAK_KILLS", 200);
    const std::uint64_t size = static_cast<std::uint64_t>(environmentNumber("HEMWRIGHT_SOAK_SIZE_MIB", 128)) << 20;
    const int fileCount = static_cast<int>(environmentNumber("HEMWRIGHT_SOAK_FILES", 300));
    const long clockSeed =
        static_cast<long>(std::chrono::system_clock::now().time_since_epoch().count() % 1000000007);
    const auto seed = static_cast<std::uint64_t>(environmentNumber("HEMWRIGHT_SOAK_SEED", clockSeed));
    std::mt19937_64 random(seed);
    std::printf("crash soak: %ld kills, large file %llu MiB, step of %d files, seed %llu\n", kills,
                static_cast<unsigned long long>(size >> 20), fileCount, static_cast<unsigned long long>(seed));

    LargeFileStep large(size);
    ManyFilesStep many(fileCount);
    auto timeCleanRun = [](const std::string& directory) {
        const auto start = std::chrono::steady_clock::now();
        const HostRun run = runToCompletion(directory);
        EXPECT_EQ(0, run.exitStatus);
        return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    };
    const auto largeRun = timeCleanRun(large.directory());
    ASSERT_EQ(State::New, large.state());
    large.restore();
    const auto manyRun = timeCleanRun(many.directory());
    ASSERT_EQ(fileCount, many.checkConsistent());
    many.restore();
    std::printf("clean run: large file %lld ms, step %lld ms\n", static_cast<long long>(largeRun.count() / 1000),
                static_cast<long long>(manyRun.count() / 1000));

    int largeKills = 0, largeOld = 0, largeNew = 0, largeDamaged = 0, largeLeftovers = 0;
    int manyKills = 0, manyUntouched = 0, manyPartial = 0, manyComplete = 0, manyDamaged = 0, manyLeftovers = 0;
    int cleanRunFailures = 0, finishedBeforeKill = 0;
    for (long kill = 0; kill < kills; ++kill) {
        const bool onLarge = kill % 2 == 0;
        // Every other kill on each kind waits for a random point of the
        // rewrite itself (the temporary file holding a random share of the
        // new content; a random file of the step replaced), since a start-up
        // slowed down by a busy machine can swallow many timed kills.
        const bool atRewriteState = (kill / 2) % 2 == 1;
        const std::string directory = onLarge ? large.directory() : many.directory();
        const auto span = (onLarge ? largeRun : manyRun) * 12 / 10;
        const auto delay = std::chrono::microseconds(
            std::uniform_int_distribution<long long>(0, static_cast<long long>(span.count()))(random));
        const std::vector<std::string> before = temporaryFiles(directory);
        HostRun run;
        if (!atRewriteState) {
            run = killAfter(directory, delay);
        } else if (onLarge) {
            large.rememberTemporaryFiles();
            const std::uint64_t newSize = size + std::strlen(kPrefix) + std::strlen(kSuffix);
            const std::uint64_t bytes = std::uniform_int_distribution<std::uint64_t>(1, newSize)(random);
            run = killWhen(directory, [&] { return large.temporaryFileHolds(bytes); });
        } else {
            const int index = std::uniform_int_distribution<int>(0, fileCount - 1)(random);
            const ino_t original = many.inode(index);
            run = killWhen(directory, [&] { return many.inode(index) != original; });
        }
        if (run.exited) {
            ++finishedBeforeKill;
        }
        const std::vector<std::string> after = temporaryFiles(directory);
        const int leftovers = static_cast<int>(after.size() - before.size());
        if (onLarge) {
            ++largeKills;
            largeLeftovers += leftovers;
            const State state = large.state();
            EXPECT_NE(State::Damaged, state)
                << "kill " << kill << (atRewriteState ? " at a rewrite state" : " after a delay");
            (state == State::Old ? largeOld : state == State::New ? largeNew : largeDamaged)++;
            if (state != State::Old) {
                large.restore();
            }
        } else {
            ++manyKills;
            manyLeftovers += leftovers;
            const int rewritten = many.checkConsistent();
            (rewritten < 0 ? manyDamaged
                           : rewritten == 0 ? manyUntouched : rewritten == fileCount ? manyComplete : manyPartial)++;
            many.restore();
        }
        const std::set<std::string> present(after.begin(), after.end());
        const HostRun clean = runToCompletion(directory);
        const std::vector<std::string> afterClean = temporaryFiles(directory);
        const bool finished = onLarge ? large.state() == State::New : many.checkConsistent() == fileCount;
        if (clean.exitStatus != 0 || !finished ||
            std::set<std::string>(afterClean.begin(), afterClean.end()) != present) {
            ++cleanRunFailures;
            ADD_FAILURE() << "clean run after kill " << kill << " did not finish cleanly";
        }
        removeTemporaryFiles(directory);
        if (onLarge) {
            large.restore();
        } else {
            many.restore();
        }
    }
    std::printf("large file: %d kills: %d old, %d new, %d %s; %d temporary files left by killed runs\n", largeKills,
                largeOld, largeNew, largeDamaged, stateName(State::Damaged), largeLeftovers);
    std::printf("step of %d files: %d kills: %d untouched, %d partly rewritten, %d complete, %d with a damaged file; "
                "%d temporary files left by killed runs\n",
                fileCount, manyKills, manyUntouched, manyPartial, manyComplete, manyDamaged, manyLeftovers);
    std::printf("runs that ended before their kill: %d; clean reruns with a fault: %d\n", finishedBeforeKill,
                cleanRunFailures);
    std::printf("crash soak: %s\n", (largeDamaged == 0 && manyDamaged == 0 && cleanRunFailures == 0) ? "PASS" : "FAIL");
}

}  // namespace
