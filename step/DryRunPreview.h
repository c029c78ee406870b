#ifndef HEMWRIGHT_STEP_DRYRUNPREVIEW_H
#define HEMWRIGHT_STEP_DRYRUNPREVIEW_H

#include "step/StepOptions.h"

#include <optional>
#include <string>

// What a step would do, worked out without running hemwright and without
// changing any file.

// The bytes hemwright would put before and after each file's content.
struct AddedBytes {
    std::string prefix;
    std::string suffix;
};

// The plugin's own treatment of the texts: the style's line breaks inside
// both, the line break after the prefix, then UTF-8 to single bytes.
// Nothing when neither text is given or both are empty, because then the
// plugin changes no file.
std::optional<AddedBytes> bytesHemwrightWouldAdd(const StepOptions& options);

// Bytes made readable on one line: printable ASCII as it is, backslash as
// "\\", tab, LF and CR as "\t", "\n" and "\r", every other byte as "\xHH".
std::string visibleBytes(const std::string& bytes);

// Prints on standard output, for each file in order, its size now and after
// the step, and the file's first line with the prefix and its last line
// with the suffix. Files are only read. Returns 0; throws StepFailure
// (step/ExitCodes.h) when a file cannot be read or the result not printed.
// REQUIRES: the files passed checkStepFiles (step/FileChecks.h).
int printDryRun(const StepOptions& options);

#endif
