#include "tests/support/posix/PosixHostRunner.h"

#include "tests/support/TestFiles.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include <filesystem>

namespace testing_support {

namespace {

// Short enough that a stopWhen condition is seen within a fraction of a
// millisecond of turning true, long enough not to starve the child of the
// shared processor.
constexpr std::chrono::microseconds kPollInterval{50};

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void execChild(const char* executable, char* const argv[], const char* workDirectory, int outputFd,
                            int errorFd, const PosixHostOptions& options) {
    if (::dup2(outputFd, STDOUT_FILENO) < 0 || (errorFd >= 0 && ::dup2(errorFd, STDERR_FILENO) < 0) ||
        ::chdir(workDirectory) != 0) {
        _exit(127);
    }
    // An ignored signal stays ignored across exec, and the test runner may
    // ignore some; the program must meet them as the host leaves them.
    for (int signal = 1; signal < NSIG; ++signal) {
        if (signal != SIGKILL && signal != SIGSTOP) {
            ::signal(signal, signal == options.ignoredSignal ? SIG_IGN : SIG_DFL);
        }
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (options.fileSizeLimit >= 0) {
        const rlimit limit{static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            _exit(127);
        }
    }
    const auto limit = [](int resource, std::int64_t value) {
        const rlimit bound{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
        return value < 0 || ::setrlimit(resource, &bound) == 0;
    };
    if (!limit(RLIMIT_AS, options.addressSpaceLimit) || !limit(RLIMIT_CPU, options.cpuSecondsLimit) ||
        !limit(RLIMIT_STACK, options.stackLimit)) {
        _exit(127);
    }
    if (options.user >= 0 && (::setgroups(0, nullptr) != 0 || ::setgid(static_cast<gid_t>(options.group)) != 0 ||
                              ::setuid(static_cast<uid_t>(options.user)) != 0)) {
        _exit(127);
    }
    ::execv(executable, argv);
    _exit(127);
}

// The portable options, with every POSIX one at its default.
PosixHostOptions withDefaults(const HostOptions& options) {
    PosixHostOptions all;
    static_cast<HostOptions&>(all) = options;
    return all;
}

}  // namespace

const std::string& reachableCopyOf(const std::string& program) {
    static std::unique_ptr<ScopedTempDir> folder;
    static std::map<std::string, std::string> copies;
    auto found = copies.find(program);
    if (found != copies.end()) {
        return found->second;
    }
    if (!folder) {
        folder = std::make_unique<ScopedTempDir>();
        ::chmod(folder->path().c_str(), 0755);
    }
    const std::string copy = folder->file(std::filesystem::path(program).filename().string());
    std::filesystem::copy_file(program, copy, std::filesystem::copy_options::overwrite_existing);
    ::chmod(copy.c_str(), 0755);
    return copies.emplace(program, copy).first->second;
}

std::string whyOtherUsersCannotWorkIn(const std::string& directory) {
    for (std::filesystem::path folder = std::filesystem::absolute(directory); !folder.empty();
         folder = folder.parent_path()) {
        struct stat info {};
        if (::stat(folder.c_str(), &info) != 0) {
            return "cannot look at " + folder.string();
        }
        if ((info.st_mode & S_IXOTH) == 0) {
            return folder.string() + " may be entered by its owner only, so another user cannot work below it";
        }
        if (folder == folder.root_path()) {
            break;
        }
    }
    return std::string();
}

// The child's process, the pipe its standard output goes to, and what is
// known of its end.
struct HostProcess::Child {
    Child(const std::string& executable, const std::string& workDirectory, const PosixHostOptions& options);
    ~Child();

    void drainOutput(bool block);
    bool reap(bool block);
    void record(int waitStatus);
    HostRun kill();
    HostRun wait();

    pid_t pid = -1;
    int outputPipe = -1;
    std::chrono::steady_clock::time_point deadline;
    HostRun run;
    bool reaped = false;
};

HostProcess::Child::Child(const std::string& requestedExecutable, const std::string& workDirectory,
                          const PosixHostOptions& options)
    : deadline(std::chrono::steady_clock::now() + options.timeout) {
    const std::string& executable =
        options.user >= 0 && !whyOtherUsersCannotWorkIn(requestedExecutable).empty()
            ? reachableCopyOf(requestedExecutable)
            : requestedExecutable;
    // Everything the child needs is made before the fork: after it only
    // async-signal-safe calls may run.
    std::vector<std::string> words{"hemwright"};
    words.insert(words.end(), options.arguments.begin(), options.arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    int errorFd = -1;
    if (!options.standardErrorFile.empty()) {
        errorFd = ::open(options.standardErrorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (errorFd < 0) {
            throw std::runtime_error("cannot open " + options.standardErrorFile);
        }
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        if (errorFd >= 0) ::close(errorFd);
        throw std::runtime_error("pipe failed");
    }
    if (options.standardOutputClosed) {
        ::close(fds[0]);  // before the fork, so that no reader exists anywhere
        fds[0] = -1;
    }
    pid = ::fork();
    if (pid < 0) {
        if (fds[0] >= 0) {
            ::close(fds[0]);
        }
        ::close(fds[1]);
        if (errorFd >= 0) ::close(errorFd);
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        execChild(executable.c_str(), argv.data(), workDirectory.c_str(), fds[1], errorFd, options);
    }
    ::close(fds[1]);
    if (errorFd >= 0) ::close(errorFd);
    if (options.standardOutputClosed) {
        // Nobody reads the child's output; an empty pipe of ours stands in
        // for it, so that draining works as for any run.
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        ::close(fds[1]);
    }
    outputPipe = fds[0];
    ::fcntl(outputPipe, F_SETFL, ::fcntl(outputPipe, F_GETFL) | O_NONBLOCK);
}

HostProcess::Child::~Child() {
    if (!reaped) {
        ::kill(pid, SIGKILL);
        reap(true);
    }
    if (outputPipe >= 0) {
        ::close(outputPipe);
    }
}

void HostProcess::Child::drainOutput(bool block) {
    if (block) {
        ::fcntl(outputPipe, F_SETFL, ::fcntl(outputPipe, F_GETFL) & ~O_NONBLOCK);
    }
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(outputPipe, buffer, sizeof buffer);
        if (count > 0) {
            run.standardOutput.append(buffer, static_cast<std::size_t>(count));
            continue;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        return;  // end of file, or nothing more for now
    }
}

void HostProcess::Child::record(int status) {
    if (WIFEXITED(status)) {
        run.exited = true;
        run.exitStatus = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        run.killedBySignal = true;
        run.signalNumber = WTERMSIG(status);
    }
}

bool HostProcess::Child::reap(bool block) {
    if (reaped) {
        return true;
    }
    int status = 0;
    pid_t result;
    do {
        result = ::waitpid(pid, &status, block ? 0 : WNOHANG);
    } while (result < 0 && errno == EINTR);
    if (result == 0) {
        return false;
    }
    reaped = true;
    if (result == pid) {
        record(status);
    }
    return true;
}

HostRun HostProcess::Child::kill() {
    if (!reaped) {
        ::kill(pid, SIGKILL);
        reap(true);
    }
    drainOutput(true);
    return run;
}

HostRun HostProcess::Child::wait() {
    while (!reap(false)) {
        drainOutput(false);
        if (std::chrono::steady_clock::now() >= deadline) {
            run.timedOut = true;
            return kill();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    drainOutput(true);
    return run;
}

int exitCodeSeenByHost(int code) { return code & 0xFF; }

HostProcess::HostProcess(std::unique_ptr<Child> child) : child_(std::move(child)) {}

HostProcess::HostProcess(const std::string& executable, const std::string& workDirectory,
                         const HostOptions& options)
    : HostProcess(std::make_unique<Child>(executable, workDirectory, withDefaults(options))) {}

HostProcess::~HostProcess() = default;

HostRun HostProcess::kill() { return child_->kill(); }

HostRun HostProcess::wait() { return child_->wait(); }

PosixHostProcess::PosixHostProcess(const std::string& executable, const std::string& workDirectory,
                                   const PosixHostOptions& options)
    : HostProcess(std::make_unique<Child>(executable, workDirectory, options)) {}

pid_t PosixHostProcess::pid() { return child().pid; }

HostRun PosixHostProcess::signalAndWait(int signal) {
    if (!child().reaped) {
        ::kill(child().pid, signal);
        ::kill(child().pid, SIGCONT);
    }
    return wait();
}

bool PosixHostProcess::stopWhen(const std::function<bool()>& condition) {
    Child& process = child();
    while (!process.reap(false)) {
        if (condition()) {
            ::kill(process.pid, SIGSTOP);
            // Wait until it has really stopped: a signal takes effect only
            // when the child next leaves the kernel, so without this a system
            // call in progress (a rename) could still complete afterwards.
            int status = 0;
            pid_t result;
            do {
                result = ::waitpid(process.pid, &status, WUNTRACED);
            } while (result < 0 && errno == EINTR);
            if (result == process.pid && WIFSTOPPED(status)) {
                return true;
            }
            process.reaped = true;
            if (result == process.pid) {
                process.record(status);
            }
            return false;
        }
        process.drainOutput(false);
        if (std::chrono::steady_clock::now() >= process.deadline) {
            process.run.timedOut = true;
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    return false;
}

HostRun runHost(const std::string& executable, const std::string& workDirectory, const PosixHostOptions& options) {
    PosixHostProcess process(executable, workDirectory, options);
    return process.wait();
}

HostRun runHost(const std::string& executable, const std::string& workDirectory, const HostOptions& options) {
    return runHost(executable, workDirectory, withDefaults(options));
}

std::int64_t smallestAddressSpaceToSucceed(const std::string& executable, const std::string& workDirectory) {
    constexpr std::int64_t kStep = 64 << 10;
    const auto succeeds = [&](std::int64_t bytes) {
        PosixHostOptions options;
        options.addressSpaceLimit = bytes;
        const HostRun run = runHost(executable, workDirectory, options);
        return run.exited && run.exitStatus == 0;
    };
    std::int64_t failing = 0;
    std::int64_t succeeding = std::int64_t{1} << 30;
    if (!succeeds(succeeding)) {
        return -1;
    }
    while (succeeding - failing > kStep) {
        const std::int64_t middle = failing + (succeeding - failing) / 2;
        (succeeds(middle) ? succeeding : failing) = middle;
    }
    return succeeding;
}

}  // namespace testing_support
