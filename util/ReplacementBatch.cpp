#include "util/ReplacementBatch.h"

#include <algorithm>

#include "util/PendingNames.h"
#include "util/platform/FileSystem.h"
#include "util/platform/Platform.h"
#include "util/platform/StopHandling.h"

namespace ostrel {

// A stop removes every temporary file of a batch, and the few files written
// beside one (output.xml, the copy of a move).
static_assert(platform::RemovalOnStop::kMaxRegistrations >= ReplacementBatch::kMaxFiles + 2,
              "a stop must be able to remove every temporary file of a batch");

ReplacementBatch::ReplacementBatch() {
    // Each file of a batch holds two open files: the original and its
    // temporary file.
    const std::size_t room = platform::fileSystem().openFileRoom() / 2;
    maxFiles_ = std::max<std::size_t>(1, std::min(kMaxFiles, room));
}

bool ReplacementBatch::hasRoomFor(const platform::FileIdentity& identity, std::uint64_t newBytes) const {
    if (replacements_.empty()) {
        return true;
    }
    if (replacements_.size() >= maxFiles_ || newBytes > kMaxBytes - std::min(bytes_, kMaxBytes)) {
        return false;
    }
    return std::find(identities_.begin(), identities_.end(), identity) == identities_.end();
}

void ReplacementBatch::add(std::unique_ptr<FileReplacement> prepared, std::uint64_t newBytes) {
    identities_.push_back(prepared->originalExtent().identity);
    bytes_ += newBytes;
    replacements_.push_back(std::move(prepared));
}

ReplacementBatch::Result ReplacementBatch::commit() {
    std::vector<FileReplacement*> replacements;
    for (const auto& replacement : replacements_) {
        replacements.push_back(replacement.get());
    }
    return commitAll(replacements.data(), replacements.size());
}

void ReplacementBatch::clear() {
    replacements_.clear();
    identities_.clear();
    bytes_ = 0;
}

std::size_t makeNewFilesDurable(platform::FileHandle* const* files, std::size_t count) {
    std::vector<const platform::DirectoryHandle*> pending = pendingNames();
    std::size_t failed = count;
    const bool durable = platform::fileSystem().makeDurable(files, count, pending, failed);
    const std::uint32_t error = platform::lastErrorCode();
    keepPendingNames(pending);
    platform::setLastErrorCode(error);
    return durable ? count : failed;
}

ReplacementBatch::Result ReplacementBatch::commitAll(FileReplacement* const* replacements, std::size_t count) {
    Result result;
    if (count == 0) {
        return result;
    }
    // The new contents first: a power cut before a rename keeps the old
    // file, one after it the whole new one, never an empty or cut-off file
    // under the old name. Names already pending on the file systems flushed
    // here become durable with them.
    std::vector<platform::FileHandle*> files;
    for (std::size_t index = 0; index < count; ++index) {
        files.push_back(&replacements[index]->newFile());
    }
    const std::size_t durable = makeNewFilesDurable(files.data(), count);
    const std::uint32_t flushError = platform::lastErrorCode();
    for (; result.placed < count; ++result.placed) {
        FileReplacement& replacement = *replacements[result.placed];
        if (result.placed == durable) {
            platform::setLastErrorCode(flushError);
            result.failedAt = ReplaceStep::Flush;
            return result;
        }
        if (!replacement.originalUnchanged()) {
            result.failedAt = ReplaceStep::Changed;
            return result;
        }
        const ReplaceStep step = replacement.putInPlace();
        if (step != ReplaceStep::Done) {
            result.failedAt = step;
            return result;
        }
    }
    return result;
}

}  // namespace ostrel
