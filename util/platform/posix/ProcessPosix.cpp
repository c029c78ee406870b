// Starting programs, passing on stop signals and writing standard output,
// for the step tool (Process.h).
#include "util/platform/posix/Process.h"

#include "util/platform/posix/StopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <limits>
#include <vector>

extern char** environ;

namespace ostrel::platform {

namespace {

// Shared with the signal handler, hence the plain volatile atomic types.
volatile std::sig_atomic_t firstStopSignal = 0;
volatile std::sig_atomic_t runningChild = 0;  // pid_t is an int here

// The stop signals this process catches, blocked while a child is started
// and while it is being forgotten, so that none is lost or sent to a
// process id that may already belong to another process.
sigset_t caughtSignals;
bool caughtSignalsReady = false;
// SIGPIPE was set to ignored by reportBrokenPipesAsErrors: the child gets
// the default back.
bool pipeSignalChanged = false;

extern "C" void onStopSignal(int signalNumber) {
    const int savedErrno = errno;
    if (firstStopSignal == 0) firstStopSignal = signalNumber;
    const pid_t child = runningChild;
    if (child > 0) ::kill(child, signalNumber);
    errno = savedErrno;
}

sigset_t blockCaughtSignals() {
    sigset_t previous;
    sigemptyset(&previous);
    if (caughtSignalsReady) {
        ::pthread_sigmask(SIG_BLOCK, &caughtSignals, &previous);
    } else {
        ::pthread_sigmask(SIG_BLOCK, nullptr, &previous);
    }
    return previous;
}

void restoreSignalMask(const sigset_t& previous) { ::pthread_sigmask(SIG_SETMASK, &previous, nullptr); }

// Starts executable in directory; returns 0 or the error code.
int spawnInDirectory(const std::string& executable, const std::string& directory, const sigset_t& childMask,
                     pid_t& child) {
    posix_spawn_file_actions_t actions;
    int result = ::posix_spawn_file_actions_init(&actions);
    if (result != 0) return result;
    posix_spawnattr_t attributes;
    result = ::posix_spawnattr_init(&attributes);
    if (result != 0) {
        ::posix_spawn_file_actions_destroy(&actions);
        return result;
    }
    sigset_t defaults;
    sigemptyset(&defaults);
    if (pipeSignalChanged) sigaddset(&defaults, SIGPIPE);
    result = ::posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    if (result == 0) result = ::posix_spawnattr_setsigmask(&attributes, &childMask);
    if (result == 0) result = ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    if (result == 0) result = ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    if (result == 0) {
        // By convention the first argument is the program's own name.
        const std::string::size_type slash = executable.rfind('/');
        const std::string name = slash == std::string::npos ? executable : executable.substr(slash + 1);
        std::vector<char> argument0(name.begin(), name.end());
        argument0.push_back('\0');
        char* const arguments[] = {argument0.data(), nullptr};
        result = ::posix_spawn(&child, executable.c_str(), &actions, &attributes, arguments, environ);
    }
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
    return result;
}

}  // namespace

ProcessOutcome runProgramInDirectory(const std::string& executable, const std::string& directory,
                                     const std::function<void(int processId)>& started) {
    ProcessOutcome outcome;
    const sigset_t previousMask = blockCaughtSignals();
    if (firstStopSignal != 0) {
        restoreSignalMask(previousMask);
        outcome.stoppedBeforeStart = true;
        return outcome;
    }
    pid_t child = 0;
    const int result = spawnInDirectory(executable, directory, previousMask, child);
    if (result != 0) {
        restoreSignalMask(previousMask);
        outcome.startError = static_cast<std::uint32_t>(result);
        return outcome;
    }
    outcome.started = true;
    runningChild = child;
    // A stop signal that arrived during the start is delivered here and
    // passed on.
    restoreSignalMask(previousMask);
    if (started) started(static_cast<int>(child));

    // Wait without reaping, so that the process id stays the child's while
    // the handler may still send to it.
    siginfo_t ended{};
    while (::waitid(P_PID, static_cast<id_t>(child), &ended, WEXITED | WNOWAIT) != 0) {
        if (errno != EINTR) {
            outcome.waitError = static_cast<std::uint32_t>(errno);
            runningChild = 0;
            return outcome;
        }
    }
    blockCaughtSignals();
    runningChild = 0;
    restoreSignalMask(previousMask);

    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            outcome.waitError = static_cast<std::uint32_t>(errno);
            return outcome;
        }
    }
    outcome.waited = true;
    outcome.exited = WIFEXITED(status);
    outcome.exitStatus = outcome.exited ? WEXITSTATUS(status) : 0;
    outcome.signalNumber = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    return outcome;
}

std::vector<int> stopSignals() {
    std::vector<int> signals;
    for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber) {
        if (posix::isStopSignal(signalNumber)) signals.push_back(signalNumber);
    }
    return signals;
}

int exitStatusForSignal(int signalNumber) { return 128 + signalNumber; }

void interceptStopSignals() {
    const std::vector<int> signals = stopSignals();
    sigemptyset(&caughtSignals);
    for (const int signalNumber : signals) {
        struct sigaction current {};
        if (::sigaction(signalNumber, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        sigaddset(&caughtSignals, signalNumber);
    }
    caughtSignalsReady = true;
    for (const int signalNumber : signals) {
        if (!sigismember(&caughtSignals, signalNumber)) continue;
        struct sigaction handler {};
        handler.sa_handler = onStopSignal;
        // No SA_RESTART: a wait is interrupted and resumed by the caller.
        handler.sa_flags = 0;
        handler.sa_mask = caughtSignals;
        ::sigaction(signalNumber, &handler, nullptr);
    }
}

void reportBrokenPipesAsErrors() {
    struct sigaction pipe {};
    if (::sigaction(SIGPIPE, nullptr, &pipe) == 0 && pipe.sa_handler != SIG_IGN) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        pipeSignalChanged = ::sigaction(SIGPIPE, &ignore, nullptr) == 0;
    }
}

int receivedStopSignal() { return firstStopSignal; }

std::string signalName(int signalNumber) {
    switch (signalNumber) {
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
        case SIGHUP: return "SIGHUP";
        case SIGKILL: return "SIGKILL";
        case SIGQUIT: return "SIGQUIT";
        case SIGABRT: return "SIGABRT";
        case SIGSEGV: return "SIGSEGV";
        case SIGBUS: return "SIGBUS";
        case SIGPIPE: return "SIGPIPE";
        case SIGXFSZ: return "SIGXFSZ";
        case SIGXCPU: return "SIGXCPU";
        case SIGUSR1: return "SIGUSR1";
        case SIGUSR2: return "SIGUSR2";
        case SIGALRM: return "SIGALRM";
        case SIGVTALRM: return "SIGVTALRM";
        case SIGPROF: return "SIGPROF";
        case SIGSTKFLT: return "SIGSTKFLT";
        case SIGPWR: return "SIGPWR";
        default: break;
    }
    // The real-time signals have no names of their own: counted from the
    // lowest one, whose number the system sets at run time.
    if (signalNumber == SIGRTMIN) return "SIGRTMIN";
    if (posix::isRealTimeSignal(signalNumber)) return "SIGRTMIN+" + std::to_string(signalNumber - SIGRTMIN);
    return "signal " + std::to_string(signalNumber);
}

bool writeToStandardOutput(const std::string& text) {
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t count = ::write(STDOUT_FILENO, text.data() + written, text.size() - written);
        if (count < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        written += static_cast<std::size_t>(count);
    }
    return true;
}

std::string currentExecutablePath() {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0) {
        return std::string();
    }
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

bool isExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool createPrivateDirectory(const std::string& parent, const std::string& prefix, std::string& path) {
    const std::string pattern = parent + "/" + prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        return false;
    }
    path = name.data();
    return true;
}

}  // namespace ostrel::platform
