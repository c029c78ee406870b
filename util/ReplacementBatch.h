#ifndef OSTREL_REPLACEMENTBATCH_H
#define OSTREL_REPLACEMENTBATCH_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "util/FileReplacement.h"
#include "util/platform/FileIdentity.h"

namespace ostrel {

// Replacements prepared one after the other (their new content complete,
// FileReplacement::finishContent) and put in place together, so that many
// small files cost one flush rather than one each: commit() makes all new
// contents durable at once, then renames them in the order they were
// added, each checked just before its rename, and lists their directories
// among the pending names (PendingNames.h), whose flush may fold into the
// next batch's.
//
// A batch holds at most maxFiles() files (kMaxFiles, fewer where the
// process may not keep twice as many files open) and kMaxBytes of new
// content (a single larger file makes a batch of its own), so that
// temporary files never pile up beyond that; every one of them is removed
// by a stop of the process (RemovalOnStop holds a batch). It never holds one
// file twice: a file listed twice, or under another name, starts a new
// batch, so that it is replaced twice, in order. Not copyable; one thread.
class ReplacementBatch {
public:
    static constexpr std::size_t kMaxFiles = 256;
    static constexpr std::uint64_t kMaxBytes = std::uint64_t(64) << 20;

    ReplacementBatch();
    ReplacementBatch(const ReplacementBatch&) = delete;
    ReplacementBatch& operator=(const ReplacementBatch&) = delete;

    std::size_t maxFiles() const { return maxFiles_; }
    bool empty() const { return replacements_.empty(); }
    std::size_t size() const { return replacements_.size(); }
    FileReplacement& at(std::size_t index) { return *replacements_[index]; }

    // Whether a file of that identity, whose new content is newBytes long,
    // may join: false when the batch is full, would grow past kMaxBytes, or
    // holds that file already.
    bool hasRoomFor(const platform::FileIdentity& identity, std::uint64_t newBytes) const;

    // Adds a replacement whose new content is complete.
    void add(std::unique_ptr<FileReplacement> prepared, std::uint64_t newBytes);

    // Puts the batch in place (see above), stopping at the first file that
    // fails: failedAt is where it failed (Done when all are in place) and
    // placed the number in place before it; the failing one is at(placed),
    // with the system's code in platform::lastErrorCode(). Call clear()
    // afterwards: the files not in place are then removed.
    struct Result {
        std::size_t placed = 0;
        ReplaceStep failedAt = ReplaceStep::Done;
    };
    Result commit();

    // Ends the batch, removing the temporary files of what was not put in
    // place.
    void clear();

private:
    friend class FileReplacement;

    // commit() for count replacements.
    static Result commitAll(FileReplacement* const* replacements, std::size_t count);

    std::size_t maxFiles_;
    std::uint64_t bytes_ = 0;
    std::vector<platform::FileIdentity> identities_;
    std::vector<std::unique_ptr<FileReplacement>> replacements_;
};

// Makes the content of count new files (written, not yet in place) durable
// with the fewest flushes the platform allows, folding in the pending names
// on the file systems it flushes whole. Returns count, or the index of the
// first file not known to be durable (code in platform::lastErrorCode()).
std::size_t makeNewFilesDurable(platform::FileHandle* const* files, std::size_t count);

}  // namespace ostrel

#endif
