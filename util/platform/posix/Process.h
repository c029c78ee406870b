#ifndef OSTREL_PLATFORM_POSIX_PROCESS_H
#define OSTREL_PLATFORM_POSIX_PROCESS_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// What a program needs to start another program and look after it. POSIX
// only, for the Linux step tool (step/); not part of the portable seam, so
// nothing the program itself runs may use it. It starts a child and waits
// for it, passes on the signals that ask the program to stop, and writes its
// results to standard output. These functions never throw; failures come
// back as results with the system's error code.
namespace ostrel::platform {

struct ProcessOutcome {
    bool started = false;          // false: startError says why, or stoppedBeforeStart
    bool stoppedBeforeStart = false;  // a stop signal had arrived: not started
    bool waited = false;           // false (when started): waitError says why
    bool exited = false;           // ended by returning or exiting
    int exitStatus = 0;            // when exited: the status a parent sees (low 8 bits)
    int signalNumber = 0;          // when not exited: the signal that ended it
    std::uint32_t startError = 0;
    std::uint32_t waitError = 0;
};

// Runs executable with no argument but its name, in directory, with this
// process's environment and standard streams, and waits until it ends.
// After interceptStopSignals, a stop signal that arrives while it runs is
// passed on to it, and one that arrived before means it is not started.
// started, when given, is called with the child's process id once it runs
// (to watch it from outside); it must return promptly.
ProcessOutcome runProgramInDirectory(const std::string& executable, const std::string& directory,
                                     const std::function<void(int processId)>& started = nullptr);

// The signals that ask this process to stop and that it can catch: the
// very ones the program cleans up after (posix/StopSignals.h), in the order
// of their numbers and hence of exitStatusForSignal.
std::vector<int> stopSignals();

// The exit status with which a shell reports a program ended by the signal,
// and with which a program that cleaned up after it ends: 128 plus the
// signal's number on POSIX.
int exitStatusForSignal(int signalNumber);

// From this call on, the stop signals no longer end this process, except
// those that were ignored when it started (a job started in the background keeps ignoring them): the first
// one is recorded for receivedStopSignal, and each one is passed on to the
// program runProgramInDirectory runs at that moment. A program started
// afterwards gets the signal dispositions this process started with. Call
// once, before the first start.
void interceptStopSignals();

// From this call on, a write to a pipe whose reader has gone fails with an
// error (EPIPE) instead of ending the process (SIGPIPE on POSIX), so that it
// can be reported. A program started afterwards gets the disposition this
// process started with.
void reportBrokenPipesAsErrors();

// The first stop signal received since interceptStopSignals, or 0.
int receivedStopSignal();

// The signal's usual name ("SIGINT"), "SIGRTMIN" or "SIGRTMIN+N" for a
// real-time signal, or "signal N" for one without.
std::string signalName(int signalNumber);

// Writes all of text to this process's standard output. Returns false with
// the system's error code in lastErrorCode() when a write fails (a full disk,
// a closed pipe after reportBrokenPipesAsErrors).
bool writeToStandardOutput(const std::string& text);

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
