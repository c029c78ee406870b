#include "tests/step/StepCommand.h"

#include "tests/support/posix/PosixHostRunner.h"
#include "tests/support/TestFiles.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <boost/filesystem.hpp>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <thread>

namespace fs = boost::filesystem;

namespace step_testing {

namespace {

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void execChild(const std::string& outPath, const std::string& errPath, int closedPipe, int terminal,
                            const std::string& temporaryDirectory, const StepLaunch& launch, char* const argv[],
                            uid_t nobodyUser, gid_t nobodyGroup) {
    const int out = closedPipe >= 0 ? closedPipe : ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = terminal >= 0 ? terminal : ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
        ::setenv("TMPDIR", temporaryDirectory.c_str(), 1) != 0) {
        _exit(127);
    }
    if (!launch.standardInput.empty()) {
        const int in = ::open(launch.standardInput.c_str(), O_RDONLY);
        if (in < 0 || ::dup2(in, 0) < 0) _exit(127);
    }
    if (!launch.workDirectory.empty() && ::chdir(launch.workDirectory.c_str()) != 0) _exit(127);
    if (launch.fileSizeLimit >= 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{static_cast<rlim_t>(launch.fileSizeLimit), static_cast<rlim_t>(launch.fileSizeLimit)};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
    }
    if (launch.asNobody &&
        (::setgroups(0, nullptr) != 0 || ::setgid(nobodyGroup) != 0 || ::setuid(nobodyUser) != 0)) {
        _exit(127);
    }
    ::execv(launch.executable.c_str(), argv);
    _exit(127);
}

struct OtherUser {
    uid_t user = 0;
    gid_t group = 0;
};

std::optional<OtherUser> nobody() {
    const passwd* entry = ::getpwnam("nobody");
    if (entry == nullptr) return std::nullopt;
    return OtherUser{entry->pw_uid, entry->pw_gid};
}

// The folder of the copies of the built programs: the copy of hemwright-step
// finds the copy of hemwright beside itself.
const std::string& programCopies() {
    static const std::string folder = [] {
        testing_support::reachableCopyOf(HEMWRIGHT_EXECUTABLE);
        return fs::path(testing_support::reachableCopyOf(HEMWRIGHT_STEP_EXECUTABLE)).parent_path().string();
    }();
    return folder;
}

// The program to start for launch: a copy nobody can reach when run as
// nobody.
std::string programFor(const StepLaunch& launch) {
    if (!launch.asNobody) return launch.executable;
    const std::string name = fs::path(launch.executable).filename().string();
    if (launch.executable == HEMWRIGHT_STEP_EXECUTABLE || launch.executable == HEMWRIGHT_EXECUTABLE) {
        return programCopies() + "/" + name;
    }
    return launch.executable;
}

}  // namespace

std::string nobodyCannotRun(const std::string& dataDirectory) {
    if (::geteuid() != 0) return "only the superuser can run the tool as another user";
    const std::optional<OtherUser> other = nobody();
    if (!other) return "there is no user nobody";
    for (const std::string& path : {programCopies(), dataDirectory}) {
        const pid_t child = ::fork();
        if (child == 0) {
            const bool reached = ::setgroups(0, nullptr) == 0 && ::setgid(other->group) == 0 &&
                                 ::setuid(other->user) == 0 && ::access(path.c_str(), X_OK) == 0;
            _exit(reached ? 0 : 1);
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            return "the user nobody cannot enter " + path + " (a directory on its way is closed to others)";
        }
    }
    return "";
}

StepResult runStep(const std::vector<std::string>& arguments, const std::string& temporaryDirectory,
                   const StepLaunch& launch) {
    const std::string outPath = temporaryDirectory + "/.step-stdout";
    const std::string errPath = temporaryDirectory + "/.step-stderr";
    std::vector<char*> argv;
    const std::string name = launch.executable.substr(launch.executable.rfind('/') + 1);
    argv.push_back(const_cast<char*>(name.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    StepLaunch started = launch;
    started.executable = programFor(launch);
    uid_t nobodyUser = 0;
    gid_t nobodyGroup = 0;
    if (launch.asNobody) {
        const std::optional<OtherUser> other = nobody();
        if (!other) {
            ADD_FAILURE() << "there is no user nobody";
            return StepResult();
        }
        nobodyUser = other->user;
        nobodyGroup = other->group;
        // The tool makes its working directory in TMPDIR.
        ::chmod(temporaryDirectory.c_str(), 01777);
    }
    int closedPipe[2] = {-1, -1};
    if (launch.standardOutputClosed && ::pipe(closedPipe) != 0) {
        ADD_FAILURE() << "pipe failed";
        return StepResult();
    }
    if (closedPipe[0] >= 0) ::close(closedPipe[0]);
    int terminal = -1;
    int terminalSide = -1;
    if (launch.standardErrorTerminal) {
        terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (terminal < 0 || ::grantpt(terminal) != 0 || ::unlockpt(terminal) != 0 ||
            (terminalSide = ::open(::ptsname(terminal), O_RDWR | O_NOCTTY)) < 0) {
            ADD_FAILURE() << "no pseudo-terminal";
            return StepResult();
        }
    }

    const pid_t child = ::fork();
    if (child == 0) {
        execChild(outPath, errPath, closedPipe[1], terminalSide, temporaryDirectory, started, argv.data(),
                  nobodyUser, nobodyGroup);
    }
    if (closedPipe[1] >= 0) ::close(closedPipe[1]);
    if (terminalSide >= 0) ::close(terminalSide);
    // What the program writes to the terminal, read while it runs so that
    // it never waits for room.
    std::string terminalOutput;
    std::thread terminalReader;
    if (terminal >= 0) {
        terminalReader = std::thread([terminal, &terminalOutput] {
            char buffer[4096];
            ssize_t got;
            // EIO once the program's side is closed.
            while ((got = ::read(terminal, buffer, sizeof buffer)) > 0) terminalOutput.append(buffer, got);
        });
    }
    if (child > 0 && launch.whileRunning) launch.whileRunning(child);
    StepResult result;
    int status = 0;
    pid_t waited;
    do {
        waited = ::waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (child > 0 && waited == child && WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    }
    if (terminalReader.joinable()) {
        terminalReader.join();
        ::close(terminal);
    }
    if (!launch.standardOutputClosed) result.standardOutput = testing_support::readBytes(outPath);
    result.standardError = terminal >= 0 ? terminalOutput : testing_support::readBytes(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    return result;
}

}  // namespace step_testing
