#ifndef HEMWRIGHT_STEP_REPLACEMENTBATCHES_H
#define HEMWRIGHT_STEP_REPLACEMENTBATCHES_H

#include "util/ReplacementBatch.h"
#include "util/platform/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// How much room the new files of a step take at once. hemwright replaces
// files in batches: it writes the new file of every file of a batch beside
// the old one, and only then puts them in place, so that on each file system
// the new files of one batch exist together with the old ones.

// hemwright's batch bounds (a batch may hold fewer files where the
// descriptor limit is lower: the bound is the most room a step can need).
constexpr std::size_t kBatchMaxFiles = ostrel::ReplacementBatch::kMaxFiles;
constexpr std::uint64_t kBatchMaxNewBytes = ostrel::ReplacementBatch::kMaxBytes;

// One file as hemwright would replace it.
struct PlannedReplacement {
    ostrel::platform::FileIdentity identity;  // the file itself (after symbolic links)
    std::uint64_t fileSystem = 0;             // the device its directory is on
    std::uint64_t newBytes = 0;               // its size + prefix + suffix, in whole blocks
    // What the old file gives back once replaced, in whole blocks: 0 where
    // its content stays (other hard links, the target of a symbolic link).
    std::uint64_t freedBytes = 0;
};

// The batch of each file, in list order: a batch holds at most
// kBatchMaxFiles files and kBatchMaxNewBytes of new data (a file larger than
// that is a batch of its own), and ends before a file it already holds (the
// same file listed twice, or by another name).
std::vector<std::size_t> replacementBatches(const std::vector<PlannedReplacement>& files);

// The most room the step needs at one time on a file system: over the
// batches, what the earlier batches have added for good plus the new files
// of that batch on that file system.
std::uint64_t peakBytesNeeded(const std::vector<PlannedReplacement>& files, std::uint64_t fileSystem);

#endif
