#ifndef HEMWRIGHT_STEP_DRYRUNPREVIEW_H
#define HEMWRIGHT_STEP_DRYRUNPREVIEW_H

#include "hemwright/AddedText.h"
#include "step/StepOptions.h"

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// What a step would do, worked out without running hemwright and without
// changing any file.

// The bytes hemwright would put before and after each file's content, made
// by the plugin's own function (hemwright/AddedText.h); nothing when neither
// text is given or both are empty, because then the plugin changes no file.
std::optional<AddedText> bytesHemwrightWouldAdd(const StepOptions& options);

// Bytes made readable on one line: printable ASCII as it is, backslash as
// "\\", tab, LF and CR as "\t", "\n" and "\r", every other byte as "\xHH".
std::string visibleBytes(const std::string& bytes);

// Prints on standard output, for each file in order, its size now and after
// the step, and the file's first line with the prefix and its last line
// with the suffix, then a closing line such as "2 files would change,
// 24 bytes would be added, 1 warning" (warnings: how many the checks and
// the tool reported on standard error). A file marked in stamped is only
// named as one that would be skipped; with quiet only the closing line is
// printed. Files are only read. Throws
// StepFailure (step/ExitCodes.h) when a file cannot be read or the result
// not printed.
// REQUIRES: the files passed checkStepFiles (step/FileChecks.h).
void printDryRun(const StepOptions& options, const std::vector<bool>& stamped, std::size_t warnings);

#endif
