#ifndef OSTREL_PLATFORM_PROCESS_H
#define OSTREL_PLATFORM_PROCESS_H

#include <cstdint>
#include <string>

// Starting another program and waiting for it: part of the platform seam.
// These functions never throw; failures come back as results with the
// system's error code.
namespace ostrel::platform {

struct ProcessOutcome {
    bool started = false;         // false: startError says why
    bool waited = false;          // false (when started): waitError says why
    bool exited = false;          // ended by returning or exiting
    int exitStatus = 0;           // when exited: the status a parent sees (low 8 bits)
    int signalNumber = 0;         // when not exited: the signal that ended it
    std::uint32_t startError = 0;
    std::uint32_t waitError = 0;
};

// Runs executable with no argument but its name, in directory, with this
// process's environment and standard streams, and waits until it ends.
ProcessOutcome runProgramInDirectory(const std::string& executable, const std::string& directory);

// The absolute path of the running executable; empty when the system cannot
// tell.
std::string currentExecutablePath();

// Whether path names a regular file that this process may execute.
bool isExecutableFile(const std::string& path);

// Creates a new directory readable only by its owner, named parent + "/" +
// prefix + a unique suffix, and stores its path. Returns false with the
// system's error code in lastErrorCode() when it cannot.
bool createPrivateDirectory(const std::string& parent, const std::string& prefix, std::string& path);

}  // namespace ostrel::platform

#endif
