#ifndef HEMWRIGHT_STEP_RUNPROGRESS_H
#define HEMWRIGHT_STEP_RUNPROGRESS_H

#include "step/StepSummary.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Progress of a run on a terminal, watched from outside hemwright: the bytes
// it has written (its write count as the system keeps it, or the new files
// in place and those it is writing, whichever is more) against the bytes of
// all new files, and the files whose directory entry holds a new file.
// hemwright itself is not asked anything.

struct ProgressSnapshot {
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
    bool bytesKnown = true;  // false: the write count cannot be read
    std::size_t filesDone = 0;
    std::size_t filesTotal = 0;
    double seconds = 0;      // since hemwright started
};

// One line without its line break, such as "hemwright-step: 512.0 MiB of
// 1.0 GiB (50%), 2 of 5 files, 110.3 MiB/s, 5 s left".
std::string formatProgress(const ProgressSnapshot& snapshot);

// Shows the progress on standard error, overwriting one line, from
// kProgressDelay after the start at most every kProgressInterval, while
// hemwright runs, and erases it at the end. Does nothing unless enabled
// (standard error is a terminal and --quiet is not given).
class RunProgress final {
public:
    static constexpr int kProgressDelayMilliseconds = 1000;
    static constexpr int kProgressIntervalMilliseconds = 250;

    // files: as recorded before the run, in the order hemwright gets them;
    // addedPerFile: the bytes of the prefix and the suffix together.
    RunProgress(const std::vector<FileRecord>& files, std::uint64_t addedPerFile, bool enabled);
    // Stops watching and erases the line.
    ~RunProgress();
    RunProgress(const RunProgress&) = delete;
    RunProgress& operator=(const RunProgress&) = delete;

    // hemwright runs as processId. Never throws.
    void started(int processId) noexcept;
    // hemwright has ended: stop watching and erase the line.
    void finish();

private:
    void watch();
    std::size_t filesReplaced();
    // The new sizes of the first files together.
    std::uint64_t bytesReplaced(std::size_t files) const;

    const std::vector<FileRecord>& files_;
    std::uint64_t addedPerFile_;
    std::uint64_t bytesTotal_;
    bool enabled_;
    std::atomic<int> processId_{0};
    std::size_t firstNotReplaced_ = 0;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread watcher_;
};

#endif
