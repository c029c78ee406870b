#ifndef HEMWRIGHT_STEP_EXITCODES_H
#define HEMWRIGHT_STEP_EXITCODES_H

#include <stdexcept>
#include <string>

// Exit codes of hemwright-step. After a run it exits with hemwright's own
// status; its own failures use codes of sysexits.h, none of which hemwright
// produces as seen by a parent (its codes above 255 arrive as their low
// 8 bits), and an interrupted run exits as shells report a signal.
constexpr int kUsageExitCode = 64;        // a fault in the command line, a file listed twice
constexpr int kDataErrorExitCode = 65;    // a text file or list of names the host document cannot carry
constexpr int kNoInputExitCode = 66;      // a file cannot be read
constexpr int kUnavailableExitCode = 69;  // hemwright not found or not started
constexpr int kSoftwareExitCode = 70;     // any other failure of the tool
constexpr int kCannotReplaceExitCode = 73;  // a file cannot be replaced in its directory, or no room for it
constexpr int kOutputErrorExitCode = 74;  // standard output cannot be written (before a run)
// An interrupted run ends with platform::exitStatusForSignal (128 + N).

// A failure of hemwright-step itself, with the complete message (printed
// after "hemwright-step: ") and the exit code it ends the tool with.
class StepFailure : public std::runtime_error {
public:
    StepFailure(int exitCode, const std::string& message) : std::runtime_error(message), exitCode_(exitCode) {}
    int exitCode() const { return exitCode_; }

private:
    int exitCode_;
};

// The exit codes and their meanings, one per line, as --help, the README and
// the manual list them.
std::string stepExitCodeTable();

// What hemwright's exit status means, as a parent process sees it: for
// example "1001: reading input.xml failed" for 233, "success" for 0, and
// "not an exit code of hemwright" for a status it never gives.
std::string describeHemwrightExitStatus(int status);

#endif
