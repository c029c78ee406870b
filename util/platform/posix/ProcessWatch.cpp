#include "util/platform/posix/ProcessWatch.h"

#include "util/platform/Platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <string>

namespace ostrel::platform {

bool queryBytesWritten(int processId, std::uint64_t& bytes) {
    std::ifstream io("/proc/" + std::to_string(processId) + "/io");
    std::string line;
    while (std::getline(io, line)) {
        if (line.rfind("wchar: ", 0) == 0) {
            bytes = std::stoull(line.substr(7));
            return true;
        }
    }
    setLastErrorCode(static_cast<std::uint32_t>(errno != 0 ? errno : ENOENT));
    return false;
}

bool queryBytesInFilesBeingWritten(int processId, std::uint64_t& bytes) {
    const std::string process = "/proc/" + std::to_string(processId);
    DIR* descriptors = ::opendir((process + "/fd").c_str());
    if (descriptors == nullptr) {
        setLastErrorCode(static_cast<std::uint32_t>(errno));
        return false;
    }
    bytes = 0;
    while (const dirent* entry = ::readdir(descriptors)) {
        const std::string number = entry->d_name;
        if (number.find_first_not_of("0123456789") != std::string::npos || std::stoi(number) <= STDERR_FILENO) {
            continue;
        }
        std::ifstream information(process + "/fdinfo/" + number);
        std::string line;
        unsigned long flags = 0;
        while (std::getline(information, line)) {
            if (line.rfind("flags:", 0) == 0) flags = std::stoul(line.substr(6), nullptr, 8);
        }
        struct stat file {};
        if ((flags & O_ACCMODE) == O_RDONLY || ::stat((process + "/fd/" + number).c_str(), &file) != 0 ||
            !S_ISREG(file.st_mode)) {
            continue;
        }
        bytes += static_cast<std::uint64_t>(file.st_size);
    }
    ::closedir(descriptors);
    return true;
}

bool standardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

std::thread startThreadWithoutSignals(std::function<void()> work) {
    // A new thread starts with its creator's mask: block everything for the
    // moment of its creation.
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    ::pthread_sigmask(SIG_BLOCK, &all, &previous);
    try {
        std::thread thread(std::move(work));
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return thread;
    } catch (...) {
        ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        throw;
    }
}

}  // namespace ostrel::platform
