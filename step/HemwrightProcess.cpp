#include "step/HemwrightProcess.h"

#include "util/ErrorResolver.h"
#include "util/platform/Process.h"

#include <boost/filesystem.hpp>

#include <cstdlib>
#include <sstream>

namespace fs = boost::filesystem;
namespace platform = ostrel::platform;

namespace {

std::string errorText(std::uint32_t code) { return ErrorResolver(0).resolve(code, false); }

}  // namespace

std::string findHemwrightExecutable() {
    const std::string self = platform::currentExecutablePath();
    if (!self.empty()) {
        const fs::path beside = fs::path(self).parent_path() / "hemwright";
        if (platform::isExecutableFile(beside.string())) return beside.string();
    }
    const char* searchPath = std::getenv("PATH");
    if (searchPath != nullptr) {
        std::istringstream directories(searchPath);
        std::string directory;
        while (std::getline(directories, directory, ':')) {
            if (directory.empty()) continue;  // an empty entry is not taken to mean the current directory
            const fs::path candidate = fs::path(directory) / "hemwright";
            if (platform::isExecutableFile(candidate.string())) return candidate.string();
        }
    }
    throw LaunchError("cannot find hemwright: it is neither beside hemwright-step" +
                      (self.empty() ? std::string() : " (in '" + fs::path(self).parent_path().string() + "')") +
                      " nor on PATH.");
}

ProcessStatus runInDirectory(const std::string& executable, const std::string& directory) {
    const platform::ProcessOutcome outcome = platform::runProgramInDirectory(executable, directory);
    if (!outcome.started) {
        throw LaunchError("cannot start '" + executable + "' in '" + directory + "': " +
                          errorText(outcome.startError) + ".");
    }
    if (!outcome.waited) {
        throw std::runtime_error("cannot wait for hemwright: " + errorText(outcome.waitError) + ".");
    }
    ProcessStatus ended;
    ended.exited = outcome.exited;
    ended.exitStatus = outcome.exitStatus;
    ended.signalNumber = outcome.signalNumber;
    return ended;
}
