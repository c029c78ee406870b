// POSIX implementation of starting programs and making private directories.
#include "util/platform/Process.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

extern char** environ;

namespace ostrel::platform {

ProcessOutcome runProgramInDirectory(const std::string& executable, const std::string& directory) {
    ProcessOutcome outcome;
    posix_spawn_file_actions_t actions;
    int result = ::posix_spawn_file_actions_init(&actions);
    pid_t child = 0;
    if (result == 0) {
        result = ::posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
        if (result == 0) {
            // By convention the first argument is the program's own name.
            const std::string::size_type slash = executable.rfind('/');
            const std::string name = slash == std::string::npos ? executable : executable.substr(slash + 1);
            std::vector<char> argument0(name.begin(), name.end());
            argument0.push_back('\0');
            char* const arguments[] = {argument0.data(), nullptr};
            result = ::posix_spawn(&child, executable.c_str(), &actions, nullptr, arguments, environ);
        }
        ::posix_spawn_file_actions_destroy(&actions);
    }
    if (result != 0) {
        outcome.startError = static_cast<std::uint32_t>(result);
        return outcome;
    }
    outcome.started = true;

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
