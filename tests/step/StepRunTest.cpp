// hemwright-step running the real hemwright: the files are rewritten, the
// summary reports the exit code with its meaning, the run's log message and
// the sizes, the tool exits with hemwright's status, and the working
// directory is removed unless --keep is given.
#include "step/RunProgress.h"
#include "tests/step/StepCommand.h"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

using step_testing::StepLaunch;
using step_testing::StepResult;
using step_testing::StepTest;
using testing_support::listDirectory;
using testing_support::readBytes;

namespace {

class StepRunTest : public StepTest {};

TEST_F(StepRunTest, RewritesFilesAndSummarisesSuccess) {
    const std::string first = dataFile("first.txt", "abc");
    const std::string second = dataFile("second.txt", "");

    const StepResult result = run({"--prepend", "<h\xC3\xA9>", "--append", "&end", first, second});

    EXPECT_EQ(0, result.exitStatus) << result.standardError;
    EXPECT_EQ("<h\xE9>abc&end", readBytes(first));
    EXPECT_EQ("<h\xE9>&end", readBytes(second));
    EXPECT_EQ("exit code: 0 (success)\n"
              "log: none\n"
              "files:\n"
              "  " + first + ": 3 bytes -> 11 bytes\n"
              "  " + second + ": 0 bytes -> 8 bytes\n"
              "2 files changed, 16 bytes added\n",
              result.standardOutput);
    EXPECT_EQ("", result.standardError);
    EXPECT_TRUE(leftWorkingDirectories().empty());
}

TEST_F(StepRunTest, LineBreaksReachTheFileUnchangedWithoutAStyle) {
    const std::string file = dataFile("f.txt", "x");
    const StepResult result = run({"--prepend", "a\r\nb\rc\n", "--append", "\r", file});
    EXPECT_EQ(0, result.exitStatus) << result.standardOutput << result.standardError;
    EXPECT_EQ("a\r\nb\rc\nx\r", readBytes(file));
}

TEST_F(StepRunTest, StyleAndLineBreakApplyAsInTheHost) {
    const std::string file = dataFile("f.txt", "body");
    const StepResult result =
        run({"--prepend", "a\r\nb", "--append", "\nz", "--line-break-style", "windows", "--add-line-break", file});
    EXPECT_EQ(0, result.exitStatus) << result.standardOutput << result.standardError;
    EXPECT_EQ("a\r\nb\r\nbody\r\nz", readBytes(file));
}

TEST_F(StepRunTest, WarningOfARunThatChangesNothingIsShown) {
    const std::string file = dataFile("f.txt", "x");
    const StepResult result = run({"--add-line-break", file});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ("x", readBytes(file));
    EXPECT_EQ("exit code: 0 (success)\n"
              "log: Warning: Neither DataToPrepend nor DataToAppend were set. Hemwright will not modify file.\n"
              "files:\n"
              "  " + file + ": 1 byte -> 1 byte (not replaced)\n"
              "0 files changed, 0 bytes added\n",
              result.standardOutput);
}

TEST_F(StepRunTest, PluginFailureGivesItsExitStatusAndMessageOnBothStreams) {
    // A full disk (a file size limit) is what the checks cannot foresee.
    const std::string small = dataFile("small.txt", "x");
    const std::string large = dataFile("large.txt", std::string(64 * 1024, 'y'));
    StepLaunch launch;
    launch.fileSizeLimit = 32 * 1024;
    const StepResult result = run({"--prepend", "a", small, large}, launch);
    EXPECT_EQ(2001 & 0xFF, result.exitStatus);
    EXPECT_EQ(0u, result.standardOutput.find("exit code: 209 (2001: the plugin failed)\nlog: Error: "))
        << result.standardOutput;
    EXPECT_NE(std::string::npos, result.standardOutput.find("  " + small + ": 1 byte -> 2 bytes\n  " + large +
                                                            ": 65536 bytes -> 65536 bytes (not replaced)\n"
                                                            "1 file changed, 1 byte added\n"))
        << result.standardOutput;
    EXPECT_EQ(0u, result.standardError.find("hemwright-step: hemwright failed: exit code 209 (2001: the plugin "
                                            "failed)\nhemwright-step: Error: "))
        << result.standardError;
    EXPECT_EQ(std::string(64 * 1024, 'y'), readBytes(large));
    EXPECT_TRUE(leftWorkingDirectories().empty());
}

TEST_F(StepRunTest, KeepLeavesTheWorkingDirectoryWithBothDocuments) {
    const std::string file = dataFile("f.txt", "x");
    const StepResult result = run({"--keep", "--prepend", "a", file});
    EXPECT_EQ(0, result.exitStatus);
    const std::vector<std::string> left = leftWorkingDirectories();
    ASSERT_EQ(1u, left.size());
    const std::string directory = temporary.file(left[0]);
    EXPECT_EQ(0u, result.standardOutput.find("working directory (kept): " + directory + "\nexit code: 0 (success)\n"))
        << result.standardOutput;
    EXPECT_EQ((std::vector<std::string>{"input.xml", "output.xml"}), listDirectory(directory));
    EXPECT_NE(std::string::npos, readBytes(directory + "/output.xml").find("<PipelinePluginOutput"));
}

// Ctrl-C or a SIGTERM while hemwright rewrites a large file: hemwright-step
// passes the signal on, waits, removes its working directory, says which
// files were replaced and exits as shells report the signal. hemwright is
// held stopped (SIGSTOP) while the tool forwards the signal, so that it
// cannot finish the file first.
TEST_F(StepRunTest, InterruptedRunIsPassedOnReportedAndCleanedUp) {
    const std::string largeContent(128 * 1024 * 1024, 'L');
    for (const int signalNumber : {SIGINT, SIGTERM}) {
        SCOPED_TRACE(signalNumber);
        const std::string before = dataFile("before.txt", "b");
        const std::string large = dataFile("large.txt", largeContent);
        const std::string after = dataFile("after.txt", "a");
        StepLaunch launch;
        bool hemwrightHeld = false;
        launch.whileRunning = [&](pid_t tool) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            const auto writingLarge = [&] {
                for (const std::string& name : listDirectory(data.path())) {
                    if (name.rfind("large.txt-tmp-", 0) == 0) return true;
                }
                return false;
            };
            while (!writingLarge() && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
            const std::string children =
                readBytes("/proc/" + std::to_string(tool) + "/task/" + std::to_string(tool) + "/children");
            const pid_t hemwright = static_cast<pid_t>(std::atoi(children.c_str()));
            if (hemwright <= 0 || ::kill(hemwright, SIGSTOP) != 0) return;
            hemwrightHeld = true;
            // hemwright's pending and blocked signals, and whether it ended.
            const std::string statusPath = "/proc/" + std::to_string(hemwright) + "/status";
            struct SignalState {
                bool ended = true;
                unsigned long long pending = 0;
                unsigned long long blocked = 0;
            };
            const auto signalState = [&] {
                SignalState state;
                std::ifstream statusFile(statusPath);
                std::string line;
                while (std::getline(statusFile, line)) {
                    const auto field = [&](const char* name) { return line.rfind(name, 0) == 0; };
                    if (field("State:")) state.ended = line.rfind("State:\tZ", 0) == 0;
                    if (field("ShdPnd:") || field("SigPnd:")) state.pending |= std::stoull(line.substr(7), nullptr, 16);
                    if (field("SigBlk:")) state.blocked = std::stoull(line.substr(7), nullptr, 16);
                }
                return state;
            };
            const unsigned long long bit = 1ULL << (signalNumber - 1);
            const unsigned long long blockedAtStop = signalState().blocked & bit;
            ::kill(tool, signalNumber);
            // Continue hemwright only once the forwarded signal has reached
            // it: pending, or being handled (its handler blocks the signal;
            // the stop may have taken effect only inside it), or hemwright
            // has ended.
            while (std::chrono::steady_clock::now() < deadline) {
                const SignalState state = signalState();
                if (state.ended || (state.pending & bit) != 0 || (blockedAtStop == 0 && (state.blocked & bit) != 0)) {
                    break;
                }
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            }
            ::kill(hemwright, SIGCONT);
        };

        const StepResult result = run({"--prepend", "P", before, large, after}, launch);

        ASSERT_TRUE(hemwrightHeld);
        const std::string name = signalNumber == SIGINT ? "SIGINT" : "SIGTERM";
        EXPECT_EQ(128 + signalNumber, result.exitStatus);
        EXPECT_EQ("hemwright-step: interrupted by " + name + "; hemwright was ended by " + name + "\n" +
                      "hemwright-step: replaced: " + before + "\n" + "hemwright-step: not replaced: " + large +
                      "\n" + "hemwright-step: not replaced: " + after + "\n",
                  result.standardError);
        EXPECT_EQ("", result.standardOutput);
        EXPECT_EQ("Pb", readBytes(before));
        EXPECT_TRUE(readBytes(large) == largeContent);
        EXPECT_EQ("a", readBytes(after));
        EXPECT_TRUE(leftWorkingDirectories().empty());
        // hemwright removed the temporary file it was writing.
        EXPECT_EQ((std::vector<std::string>{"after.txt", "before.txt", "large.txt"}), listDirectory(data.path()));
    }
}

// Every signal that asks the tool to stop (the very ones hemwright cleans up
// after, real-time signals included) is handled as SIGTERM is: passed
// on to hemwright (here a stand-in that waits to be stopped), the working
// directory removed, the files reported, the exit status a shell gives.
TEST_F(StepRunTest, EveryStopSignalIsPassedOnAndCleanedUpAfter) {
    const std::string standIn = dataFile("hemwright", "#!/bin/sh\nulimit -c 0\nexec sleep 60\n");
    ASSERT_EQ(0, ::chmod(standIn.c_str(), 0755));
    const std::string file = dataFile("f.txt", "x");
    const std::pair<int, std::string> signals[] = {
        {SIGHUP, "SIGHUP"},       {SIGQUIT, "SIGQUIT"},     {SIGUSR1, "SIGUSR1"},   {SIGUSR2, "SIGUSR2"},
        {SIGALRM, "SIGALRM"},     {SIGVTALRM, "SIGVTALRM"}, {SIGPROF, "SIGPROF"},   {SIGXCPU, "SIGXCPU"},
        {SIGABRT, "SIGABRT"},     {SIGSTKFLT, "SIGSTKFLT"}, {SIGPWR, "SIGPWR"},     {SIGRTMIN, "SIGRTMIN"},
        {SIGRTMIN + 3, "SIGRTMIN+3"}, {SIGRTMAX, "SIGRTMIN+" + std::to_string(SIGRTMAX - SIGRTMIN)}};
    for (const auto& [signalNumber, name] : signals) {
        SCOPED_TRACE(name);
        StepLaunch launch;
        launch.whileRunning = [signalNumber = signalNumber](pid_t tool) {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
            const std::string children = "/proc/" + std::to_string(tool) + "/task/" + std::to_string(tool) + "/children";
            // Once the stand-in sleeps, the tool waits for it.
            while (std::chrono::steady_clock::now() < deadline) {
                const std::string child = readBytes(children);
                if (!child.empty() && readBytes("/proc/" + std::to_string(std::atoi(child.c_str())) + "/comm") ==
                                          "sleep\n") {
                    break;
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            ::kill(tool, signalNumber);
        };
        const StepResult result = run({"--hemwright", standIn, "--prepend", "P", file}, launch);
        EXPECT_EQ(128 + signalNumber, result.exitStatus);
        EXPECT_EQ("hemwright-step: interrupted by " + name + "; hemwright was ended by " + name +
                      "\nhemwright-step: not replaced: " + file + "\n",
                  result.standardError);
        EXPECT_TRUE(leftWorkingDirectories().empty());
    }
}

// The checks say before the run what a rewrite does beyond the bytes, and
// the run does just that.
TEST_F(StepRunTest, LinksAreReplacedAsTheChecksWarned) {
    const std::string target = dataFile("target.txt", "t");
    const std::string link = data.file("link.txt");
    ASSERT_EQ(0, ::symlink(target.c_str(), link.c_str()));
    const std::string linked = dataFile("linked.txt", "h");
    ASSERT_EQ(0, ::link(linked.c_str(), data.file("second-name.txt").c_str()));

    const StepResult result = run({"--prepend", "P", link, linked});

    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ("hemwright-step: warning: " + link + ": it is a symbolic link: it will be replaced by a regular file, "
              "and the file it points to keeps the old content\nhemwright-step: warning: " + linked + ": the file "
              "has 1 other name (hard links), which will keep the old content\n",
              result.standardError);
    EXPECT_TRUE(boost::filesystem::is_regular_file(boost::filesystem::symlink_status(link)));
    EXPECT_EQ("Pt", readBytes(link));
    EXPECT_EQ("t", readBytes(target));
    EXPECT_EQ("Ph", readBytes(linked));
    EXPECT_EQ("h", readBytes(data.file("second-name.txt")));
}

// The warnings of the checks come on real runs as in the dry run, before
// anything changes, and the summary counts them.
TEST_F(StepRunTest, WarningsOfTheChecksComeBeforeTheRunAndAreCounted) {
    const std::string file = dataFile("utf8.csv", "caf\xC3\xA9\n");
    const StepResult result = run({"--prepend", "\xC3\xA9\xE2\x86\x92", "--add-line-break", file});
    EXPECT_EQ(0, result.exitStatus);
    EXPECT_EQ("\xE9?\r\ncaf\xC3\xA9\n", readBytes(file));
    const std::string warning = "hemwright-step: warning: ";
    EXPECT_EQ(warning + file + ": the file looks like UTF-8 (it holds UTF-8 characters beyond ASCII), but hemwright "
              "writes the added texts as single bytes (ISO 8859-1), some above 0x7F (\xC3\xA9 as the byte 0xE9): the "
              "file will no longer be valid UTF-8\n" + warning + "--add-line-break without --line-break-style: the line break "
              "after the prefix is CR LF (\\r\\n), on every system\n" + warning + "1 character of the text to "
              "prepend will be written as '?', since hemwright writes the added texts as single bytes (ISO 8859-1, "
              "up to U+00FF): U+2192 \xE2\x86\x92\n",
              result.standardError);
    EXPECT_NE(std::string::npos, result.standardOutput.find("\n1 file changed, 4 bytes added, 3 warnings\n"))
        << result.standardOutput;
}

// After a failure (a full disk: a file size limit), a rerun on the same list
// with --skip-stamped stamps only what was not stamped yet: every file ends
// with the texts once.
TEST_F(StepRunTest, RerunWithSkipStampedFinishesTheStep) {
    const std::string small = dataFile("small.txt", "x");
    const std::string large = dataFile("large.txt", std::string(64 * 1024, 'y'));
    const std::string last = dataFile("last.txt", "z");
    const std::vector<std::string> arguments = {"--skip-stamped", "--prepend", "P\n", "--append", "\nE",
                                                "--line-break-style", "windows", small, large, last};
    StepLaunch full;
    full.fileSizeLimit = 32 * 1024;
    EXPECT_EQ(2001 & 0xFF, run(arguments, full).exitStatus);

    const StepResult rerun = run(arguments);
    EXPECT_EQ(0, rerun.exitStatus) << rerun.standardError;
    EXPECT_EQ("P\r\nx\r\nE", readBytes(small));
    EXPECT_TRUE(readBytes(large) == "P\r\n" + std::string(64 * 1024, 'y') + "\r\nE");
    EXPECT_EQ("P\r\nz\r\nE", readBytes(last));
    EXPECT_NE(std::string::npos, rerun.standardOutput.find("  " + small + ": already stamped, skipped\n"))
        << rerun.standardOutput;
    EXPECT_NE(std::string::npos,
              rerun.standardOutput.find("2 files changed, 12 bytes added, 1 file skipped (already stamped)\n"))
        << rerun.standardOutput;

    // Everything stamped: hemwright is not run at all.
    const StepResult done = run(arguments);
    EXPECT_EQ(0, done.exitStatus);
    EXPECT_EQ(0u, done.standardOutput.find("hemwright was not run: every file is already stamped\n"))
        << done.standardOutput;
    EXPECT_EQ("P\r\nx\r\nE", readBytes(small));
}

// Progress goes to standard error only when it is a terminal, from a second
// into the run, and is erased at the end; the summary is unchanged. The
// stand-in hemwright takes 1.6 s.
TEST_F(StepRunTest, ProgressOnlyOnATerminal) {
    const std::string standIn = dataFile("hemwright", "#!/bin/sh\nexec sleep 3\n");
    ASSERT_EQ(0, ::chmod(standIn.c_str(), 0755));
    const std::string file = dataFile("f.txt", "x");
    StepLaunch terminal;
    terminal.standardErrorTerminal = true;
    const StepResult shown = run({"--hemwright", standIn, "--prepend", "P", file}, terminal);
    EXPECT_EQ(0, shown.exitStatus);
    // What the stand-in has written by then depends on the machine's load:
    // only the line's form is fixed.
    EXPECT_EQ(0u, shown.standardError.find("\r\033[Khemwright-step: ")) << shown.standardError;
    EXPECT_NE(std::string::npos, shown.standardError.find(" of 2 bytes (")) << shown.standardError;
    EXPECT_NE(std::string::npos, shown.standardError.find(" of 1 file")) << shown.standardError;
    EXPECT_EQ("\r\033[K", shown.standardError.substr(shown.standardError.size() - 4));

    const StepResult quietRun = run({"--quiet", "--hemwright", standIn, "--prepend", "P", file}, terminal);
    EXPECT_EQ("", quietRun.standardError);
    const StepResult notTerminal = run({"--hemwright", standIn, "--prepend", "P", file});
    EXPECT_EQ("", notTerminal.standardError);
    EXPECT_EQ(shown.standardOutput, notTerminal.standardOutput);
}

TEST(StepProgressTest, LineHasBytesFilesRateAndTimeLeft) {
    struct ProgressCase {
        ProgressSnapshot snapshot;
        std::string line;
    };
    const std::uint64_t mebibyte = 1024 * 1024;
    const std::vector<ProgressCase> cases = {
        {{512 * mebibyte, 1024 * mebibyte, true, 2, 5, 4.0},
         "hemwright-step: 512.0 MiB of 1.0 GiB (50%), 2 of 5 files, 128.0 MiB/s, 4 s left"},
        {{100 * mebibyte, 7000 * mebibyte, true, 1, 5000, 1.0},
         "hemwright-step: 100.0 MiB of 6.8 GiB (1%), 1 of 5000 files, 100.0 MiB/s, 1 min 09 s left"},
        // Before the first hundredth: no time left yet.
        {{10 * mebibyte, 7000 * mebibyte, true, 1, 5000, 1.0},
         "hemwright-step: 10.0 MiB of 6.8 GiB (0%), 1 of 5000 files, 10.0 MiB/s"},
        // Nothing written yet: no rate, no time left.
        {{0, 2, true, 0, 1, 1.0}, "hemwright-step: 0 bytes of 2 bytes (0%), 0 of 1 file"},
        // More written than the new files hold (output.xml): capped.
        {{3000, 2048, true, 1, 1, 2.0}, "hemwright-step: 2.0 KiB of 2.0 KiB (100%), 1 of 1 file, 1.0 KiB/s, 0 s left"},
        // The write count cannot be read: files only.
        {{0, 2048, false, 3, 7, 2.0}, "hemwright-step: 3 of 7 files"},
    };
    for (const ProgressCase& progress : cases) {
        EXPECT_EQ(progress.line, formatProgress(progress.snapshot));
    }
}

// hemwright answers a help or version request wherever it stands and
// refuses any other option with 64, touching nothing either way (the whole
// table is in the end-to-end tests).
TEST_F(StepRunTest, HemwrightAnswersHelpOrVersionAndRefusesOtherOptions) {
    struct InformationCase {
        std::vector<std::string> arguments;
        int exitStatus;
        std::string output;  // a part of standard output
        std::vector<std::string> left;
    };
    const std::vector<InformationCase> cases = {
        {{"--version"}, 0, "hemwright " + std::string(HEMWRIGHT_VERSION_FOR_TESTS) + "\n", {}},
        {{"--help"}, 0, "in a working\ndirectory that holds input.xml", {}},
        {{"--help", "--version"}, 0, "in a working\ndirectory that holds input.xml", {}},
        {{"-h"}, 0, "in a working\ndirectory that holds input.xml", {}},
        {{"--version=2"}, 64, "", {}},
    };
    for (const InformationCase& information : cases) {
        SCOPED_TRACE(information.arguments[0]);
        boost::filesystem::remove_all(data.file("work"));
        boost::filesystem::create_directory(data.file("work"));
        StepLaunch launch;
        launch.executable = HEMWRIGHT_EXECUTABLE;
        launch.workDirectory = data.file("work");
        const StepResult result = run(information.arguments, launch);
        EXPECT_EQ(information.exitStatus, result.exitStatus);
        EXPECT_NE(std::string::npos, result.standardOutput.find(information.output)) << result.standardOutput;
        EXPECT_EQ(information.left, listDirectory(data.file("work")));
    }
}

}  // namespace
