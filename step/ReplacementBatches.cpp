#include "step/ReplacementBatches.h"

#include <algorithm>

std::vector<std::size_t> replacementBatches(const std::vector<PlannedReplacement>& files) {
    std::vector<std::size_t> batches;
    std::size_t batch = 0;
    std::size_t batchStart = 0;
    std::uint64_t batchBytes = 0;
    for (std::size_t index = 0; index < files.size(); ++index) {
        const PlannedReplacement& file = files[index];
        const std::size_t held = index - batchStart;
        bool ends = held >= kBatchMaxFiles || (held > 0 && batchBytes + file.newBytes > kBatchMaxNewBytes);
        for (std::size_t earlier = batchStart; !ends && earlier < index; ++earlier) {
            ends = files[earlier].identity == file.identity;
        }
        if (ends) {
            ++batch;
            batchStart = index;
            batchBytes = 0;
        }
        batchBytes += file.newBytes;
        batches.push_back(batch);
    }
    return batches;
}

std::uint64_t peakBytesNeeded(const std::vector<PlannedReplacement>& files, std::uint64_t fileSystem) {
    const std::vector<std::size_t> batches = replacementBatches(files);
    std::uint64_t addedForGood = 0;  // by the batches before the current one
    std::uint64_t peak = 0;
    for (std::size_t start = 0; start < files.size();) {
        std::size_t end = start;
        std::uint64_t batchNew = 0;
        std::uint64_t batchAdded = 0;
        for (; end < files.size() && batches[end] == batches[start]; ++end) {
            if (files[end].fileSystem != fileSystem) continue;
            batchNew += files[end].newBytes;
            batchAdded += files[end].newBytes - std::min(files[end].newBytes, files[end].freedBytes);
        }
        peak = std::max(peak, addedForGood + batchNew);
        addedForGood += batchAdded;
        start = end;
    }
    return peak;
}
