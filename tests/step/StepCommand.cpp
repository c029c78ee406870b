#include "tests/step/StepCommand.h"

#include "tests/support/TestFiles.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace step_testing {

namespace {

// Runs in the child between fork and exec: only async-signal-safe calls.
[[noreturn]] void execChild(const std::string& outPath, const std::string& errPath, int closedPipe,
                            const std::string& temporaryDirectory, const StepLaunch& launch, char* const argv[],
                            uid_t nobodyUser, gid_t nobodyGroup) {
    const int out = closedPipe >= 0 ? closedPipe : ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
        ::setenv("TMPDIR", temporaryDirectory.c_str(), 1) != 0) {
        _exit(127);
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

}  // namespace

StepResult runStep(const std::vector<std::string>& arguments, const std::string& temporaryDirectory,
                   const StepLaunch& launch) {
    const std::string outPath = temporaryDirectory + "/.step-stdout";
    const std::string errPath = temporaryDirectory + "/.step-stderr";
    std::vector<char*> argv;
    const std::string name = launch.executable.substr(launch.executable.rfind('/') + 1);
    argv.push_back(const_cast<char*>(name.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    uid_t nobodyUser = 0;
    gid_t nobodyGroup = 0;
    if (launch.asNobody) {
        const passwd* nobody = ::getpwnam("nobody");
        if (nobody == nullptr) {
            ADD_FAILURE() << "there is no user nobody";
            return StepResult();
        }
        nobodyUser = nobody->pw_uid;
        nobodyGroup = nobody->pw_gid;
        // The tool makes its working directory in TMPDIR.
        ::chmod(temporaryDirectory.c_str(), 01777);
    }
    int closedPipe[2] = {-1, -1};
    if (launch.standardOutputClosed && ::pipe(closedPipe) != 0) {
        ADD_FAILURE() << "pipe failed";
        return StepResult();
    }
    if (closedPipe[0] >= 0) ::close(closedPipe[0]);

    const pid_t child = ::fork();
    if (child == 0) {
        execChild(outPath, errPath, closedPipe[1], temporaryDirectory, launch, argv.data(), nobodyUser,
                  nobodyGroup);
    }
    if (closedPipe[1] >= 0) ::close(closedPipe[1]);
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
    if (!launch.standardOutputClosed) result.standardOutput = testing_support::readBytes(outPath);
    result.standardError = testing_support::readBytes(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    return result;
}

}  // namespace step_testing
