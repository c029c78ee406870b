#include "step/HemwrightProcess.h"

#include "step/PrintableName.h"
#include "util/ErrorResolver.h"
#include "util/platform/posix/Process.h"

#include <boost/filesystem.hpp>

namespace fs = boost::filesystem;
namespace platform = ostrel::platform;

std::string findHemwrightExecutable(const std::optional<std::string>& given) {
    if (given) {
        if (!platform::isExecutableFile(*given)) {
            throw LaunchError("--hemwright " + printableName(*given) + ": not an executable file.");
        }
        return *given;
    }
    const std::string self = platform::currentExecutablePath();
    if (self.empty()) {
        throw LaunchError("cannot tell where hemwright-step itself is, so cannot find hemwright; give "
                          "--hemwright PATH.");
    }
    const fs::path folder = fs::path(self).parent_path();
    const fs::path beside = folder / "hemwright";
    if (platform::isExecutableFile(beside.string())) return beside.string();
    const fs::path installed = (folder / HEMWRIGHT_PLUGIN_FROM_STEP_DIR).lexically_normal();
    if (platform::isExecutableFile(installed.string())) return installed.string();
    throw LaunchError("cannot find hemwright: it is neither at " + printableName(beside.string()) + " nor at " +
                      printableName(installed.string()) + "; give --hemwright PATH.");
}

ProcessStatus runInDirectory(const std::string& executable, const std::string& directory,
                             const std::function<void(int processId)>& started) {
    const platform::ProcessOutcome outcome = platform::runProgramInDirectory(executable, directory, started);
    ProcessStatus ended;
    if (outcome.stoppedBeforeStart) {
        ended.started = false;
        return ended;
    }
    if (!outcome.started) {
        throw LaunchError("cannot start " + printableName(executable) + " in " + printableName(directory) + ": " +
                          systemErrorTextOf(outcome.startError) + ".");
    }
    if (!outcome.waited) {
        throw StepFailure(kSoftwareExitCode, "cannot wait for hemwright: " + systemErrorTextOf(outcome.waitError) + ".");
    }
    ended.exited = outcome.exited;
    ended.exitStatus = outcome.exitStatus;
    ended.signalNumber = outcome.signalNumber;
    return ended;
}
