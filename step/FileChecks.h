#ifndef HEMWRIGHT_STEP_FILECHECKS_H
#define HEMWRIGHT_STEP_FILECHECKS_H

#include "step/StepOptions.h"

#include <string>
#include <vector>

// The checks hemwright-step makes before anything is changed, so that a step
// either runs on files hemwright can rewrite or changes nothing. hemwright
// itself stops at the first file it cannot rewrite and leaves the earlier
// ones rewritten; running the step again after a fix would then stamp those
// twice.

// One problem, found before anything was changed.
struct FileProblem {
    std::string message;  // "NAME: reason", NAME as given and printable
    int exitCode = 0;     // kNoInputExitCode, kCannotReplaceExitCode or kUsageExitCode
};

// Checks every file, in order, and returns every problem found (at most one
// per file, plus one per file listed more than once):
// - it can be read: it exists, is a regular file (after symbolic links) and
//   this process may read it; otherwise kNoInputExitCode with the system's
//   reason ("No such file or directory", "Permission denied", "Is a
//   directory", "Not a regular file");
// - it can be replaced: this process may rename a file over it in its
//   directory, and the temporary file hemwright writes beside it has a name
//   and a path the directory accepts; otherwise kCannotReplaceExitCode;
// - it is listed once (the same directory entry, however it is written),
//   unless allowRepeats; otherwise kUsageExitCode.
// Looks only; never changes anything.
std::vector<FileProblem> checkStepFiles(const std::vector<StepFile>& files, bool allowRepeats);

// The exit code for a non-empty list of problems: kNoInputExitCode when a
// file cannot be read, else kCannotReplaceExitCode when one cannot be
// replaced, else kUsageExitCode.
int exitCodeForProblems(const std::vector<FileProblem>& problems);

#endif
