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

struct FileCheckResults {
    std::vector<FileProblem> problems;
    // What a rewrite would do that the operator may not expect, one
    // "NAME: what" each (for every file that can be read), then those of
    // the added texts themselves.
    std::vector<std::string> warnings;
    // For each file of the options: it already carries the added texts and
    // is left alone (--skip-stamped).
    std::vector<bool> stamped;
};

// Checks every file, in order, and returns every problem and every warning
// found, in one pass (at most one problem per file, plus one per file listed
// more than once and one per file system without room):
// - it can be read: it exists, is a regular file (after symbolic links) and
//   this process may read it; otherwise kNoInputExitCode with the system's
//   reason ("No such file or directory", "Permission denied", "Is a
//   directory", "Not a regular file");
// - it can be replaced, otherwise kCannotReplaceExitCode: this process may
//   create files in its directory (the message names the directory), the
//   directory is neither immutable nor append-only, this process may rename
//   a file over it (the sticky rule), nothing is mounted on it, it is
//   neither immutable nor append-only, the temporary file hemwright writes
//   beside it has a name and a path the directory accepts, and no other
//   process has it open for writing or is rewriting it (hemwright would
//   refuse it, after the files before it were rewritten);
// - it is listed once (the same directory entry, however it is written),
//   unless options.allowRepeats; otherwise kUsageExitCode;
// - each file system has room for the new files that exist there at once
//   (step/ReplacementBatches.h), otherwise kCannotReplaceExitCode with its
//   mount point and the shortfall.
// With options.skipStamped, a file that already begins with the prefix and ends with
// the suffix hemwright would add is only checked to be readable, and marked
// in stamped.
// Warnings: a symbolic link (replaced by a regular file; its target keeps
// the old content), other hard links (they keep the old content), and a file of which the system
// cannot tell whether another process has it open for writing (where it
// grants no lease: another user's file without the privilege, a file system
// without leases), which is not refused; an owner or group that the new file
// cannot keep (step run by another user than the owner, without the
// privilege); a file that looks like UTF-8 while the added texts hold bytes
// above 0x7F; then the texts' own (step/AddedTextChecks.h). Where nothing
// would be added hemwright replaces no file: the caller shows no warning.
// Looks only; never changes anything.
FileCheckResults checkStepFiles(const StepOptions& options);

// The exit code for a non-empty list of problems: kNoInputExitCode when a
// file cannot be read, else kCannotReplaceExitCode when one cannot be
// replaced, else kUsageExitCode.
int exitCodeForProblems(const std::vector<FileProblem>& problems);

#endif
