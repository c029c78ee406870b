#ifndef HEMWRIGHT_STEP_HEMWRIGHTPROCESS_H
#define HEMWRIGHT_STEP_HEMWRIGHTPROCESS_H

#include <stdexcept>
#include <string>

// Finding and starting the hemwright executable as the host does: in the
// working directory, with no arguments, inheriting the standard streams.

// hemwright cannot be found or started; the message says where it looked or
// why the start failed.
class LaunchError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The hemwright beside this executable (through /proc/self/exe), else the
// first executable "hemwright" on PATH. Throws LaunchError when there is none.
std::string findHemwrightExecutable();

struct ProcessStatus {
    bool exited = false;
    int exitStatus = 0;    // when exited: the low 8 bits of the exit code
    int signalNumber = 0;  // when not exited: the signal that ended it
};

// Runs executable in directory and waits for it to end.
// Throws LaunchError when the process cannot be started, std::runtime_error
// when waiting for it fails.
ProcessStatus runInDirectory(const std::string& executable, const std::string& directory);

#endif
