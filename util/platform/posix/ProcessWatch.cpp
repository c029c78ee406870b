#include "util/platform/posix/ProcessWatch.h"

#include "util/platform/Platform.h"

#include <signal.h>
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
