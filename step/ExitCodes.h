#ifndef HEMWRIGHT_STEP_EXITCODES_H
#define HEMWRIGHT_STEP_EXITCODES_H

#include <string>

// Exit codes of hemwright-step. After a run it exits with hemwright's own
// status; its own failures use codes of sysexits.h, none of which hemwright
// produces as seen by a parent (its codes above 255 arrive as their low
// 8 bits).
constexpr int kUsageExitCode = 64;      // a fault in the command line
constexpr int kNoInputExitCode = 66;    // --dry-run could not read a file
constexpr int kUnavailableExitCode = 69;  // hemwright not found or not started
constexpr int kSoftwareExitCode = 70;   // any other failure of the tool

// What hemwright's exit status means, as a parent process sees it: for
// example "1001: reading input.xml failed" for 233, "success" for 0, and
// "not an exit code of hemwright" for a status it never gives.
std::string describeHemwrightExitStatus(int status);

#endif
