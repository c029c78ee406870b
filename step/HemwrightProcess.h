#ifndef HEMWRIGHT_STEP_HEMWRIGHTPROCESS_H
#define HEMWRIGHT_STEP_HEMWRIGHTPROCESS_H

#include "step/ExitCodes.h"

#include <functional>
#include <optional>
#include <string>

// Finding and starting the hemwright executable as the host does: in the
// working directory, with no arguments, inheriting the standard streams.

// hemwright cannot be found or started; the message says where it looked or
// why the start failed. Ends the tool with kUnavailableExitCode.
class LaunchError : public StepFailure {
public:
    explicit LaunchError(const std::string& message) : StepFailure(kUnavailableExitCode, message) {}
};

// The hemwright to run: the given one (--hemwright), else the one beside
// this executable (the build tree), else the installed one at
// HEMWRIGHT_PLUGIN_FROM_STEP_DIR relative to this executable's folder
// (/usr/lib/hemwright/hemwright for /usr/bin/hemwright-step). PATH is not
// searched: the plugin is not meant to be on it. Throws LaunchError when the
// chosen or found file is not an executable.
std::string findHemwrightExecutable(const std::optional<std::string>& given);

struct ProcessStatus {
    bool started = true;   // false: a stop signal arrived before the start
    bool exited = false;
    int exitStatus = 0;    // when exited: the low 8 bits of the exit code
    int signalNumber = 0;  // when ended by a signal: that signal
};

// Runs executable in directory and waits for it to end. A stop signal that
// arrives meanwhile is passed on to it (after interceptStopSignals); one
// that arrived before means it is not started.
// started, when given, gets hemwright's process id once it runs, and must
// not throw.
// Throws LaunchError when the process cannot be started, StepFailure
// (kSoftwareExitCode) when waiting for it fails.
ProcessStatus runInDirectory(const std::string& executable, const std::string& directory,
                             const std::function<void(int processId)>& started = nullptr);

#endif
