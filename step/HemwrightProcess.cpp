#include "step/HemwrightProcess.h"

#include <boost/filesystem.hpp>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sstream>

extern char** environ;

namespace fs = boost::filesystem;

namespace {

bool isExecutableFile(const fs::path& path) {
    boost::system::error_code error;
    return fs::is_regular_file(path, error) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string findHemwrightExecutable() {
    boost::system::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    if (!error) {
        const fs::path beside = self.parent_path() / "hemwright";
        if (isExecutableFile(beside)) return beside.string();
    }
    const char* searchPath = std::getenv("PATH");
    if (searchPath != nullptr) {
        std::istringstream directories(searchPath);
        std::string directory;
        while (std::getline(directories, directory, ':')) {
            if (directory.empty()) continue;  // an empty entry is not taken to mean the current directory
            const fs::path candidate = fs::path(directory) / "hemwright";
            if (isExecutableFile(candidate)) return candidate.string();
        }
    }
    throw LaunchError("cannot find hemwright: it is neither beside hemwright-step" +
                      (error ? std::string() : " (in '" + self.parent_path().string() + "')") + " nor on PATH.");
}

ProcessStatus runInDirectory(const std::string& executable, const std::string& directory) {
    posix_spawn_file_actions_t actions;
    int result = ::posix_spawn_file_actions_init(&actions);
    if (result == 0) {
        result = ::posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
        pid_t child = 0;
        if (result == 0) {
            char* const arguments[] = {const_cast<char*>("hemwright"), nullptr};
            result = ::posix_spawn(&child, executable.c_str(), &actions, nullptr, arguments, environ);
        }
        ::posix_spawn_file_actions_destroy(&actions);
        if (result == 0) {
            int status = 0;
            while (::waitpid(child, &status, 0) < 0) {
                if (errno != EINTR) {
                    throw std::runtime_error("cannot wait for hemwright: " + std::string(std::strerror(errno)) +
                                             ".");
                }
            }
            ProcessStatus ended;
            ended.exited = WIFEXITED(status);
            ended.exitStatus = ended.exited ? WEXITSTATUS(status) : 0;
            ended.signalNumber = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
            return ended;
        }
    }
    throw LaunchError("cannot start '" + executable + "' in '" + directory + "': " + std::strerror(result) + ".");
}
