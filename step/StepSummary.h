#ifndef HEMWRIGHT_STEP_STEPSUMMARY_H
#define HEMWRIGHT_STEP_STEPSUMMARY_H

#include "step/HemwrightProcess.h"
#include "step/RunLog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The short report hemwright-step prints after a run.

// One input file's size before and after the run; nothing when the path is
// not a regular file at that moment.
struct FileSizes {
    std::string path;
    std::optional<std::uintmax_t> before;
    std::optional<std::uintmax_t> after;
};

// The size of the regular file at path, or nothing when there is none.
std::optional<std::uintmax_t> regularFileSize(const std::string& path);

// The summary, one fact per line: the exit status with its meaning (or the
// signal that ended hemwright), the run's log message with its severity,
// and each file's size before and after.
std::string formatStepSummary(const ProcessStatus& status, const RunLog& log, const std::vector<FileSizes>& files);

#endif
