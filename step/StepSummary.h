#ifndef HEMWRIGHT_STEP_STEPSUMMARY_H
#define HEMWRIGHT_STEP_STEPSUMMARY_H

#include "step/HemwrightProcess.h"
#include "step/RunLog.h"
#include "step/StepOptions.h"
#include "util/platform/posix/FileAccessQueries.h"
#include "util/platform/posix/Process.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// What hemwright-step reports after a run: the summary on standard output
// and, for an interrupted run, the account on standard error.

// One input file as it was before the run and as it is after it. hemwright
// puts a new file in the place of each file it rewrites, so a replaced file
// is one whose directory entry holds another file than before.
struct FileRecord {
    std::string path;
    std::optional<std::uintmax_t> sizeBefore;  // nothing when not a regular file then
    std::optional<std::uintmax_t> sizeAfter;
    std::optional<ostrel::platform::FileIdentity> identityBefore;
    std::optional<ostrel::platform::FileIdentity> identityAfter;

    bool replaced() const { return identityBefore && identityAfter && *identityBefore != *identityAfter; }
};

// The file as it is now, before the run.
FileRecord recordBeforeRun(const StepFile& file);

// Adds the file's state after the run.
void recordAfterRun(FileRecord& record);

// The summary, one fact per line: the exit status with its meaning (or the
// signal that ended hemwright), the run's log message with its severity,
// each file's size before and after (marked when it was not replaced), and
// a closing line such as "3 files changed, 126 bytes added". extra adds
// the files left alone and the warnings of the checks to it.
struct SummaryExtras {
    bool quiet = false;                // list only the files that were not replaced
    bool skipStamped = false;          // count the skipped files, also when none
    std::vector<std::string> skipped;  // paths left alone as already stamped
    std::size_t warnings = 0;          // counted when there were any
};
std::string formatStepSummary(const ProcessStatus& status, const RunLog& log, const std::vector<FileRecord>& files,
                              const SummaryExtras& extra = SummaryExtras());

// The account of a run interrupted by stopSignal, one line each, every line
// starting with "hemwright-step: ": how hemwright ended, which files were
// already replaced and which were not.
std::string formatInterruptedRun(int stopSignal, const ProcessStatus& status, const std::vector<FileRecord>& files);

#endif
