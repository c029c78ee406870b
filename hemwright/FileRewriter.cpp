#include "hemwright/FileRewriter.h"

#include "plugin/PluginException.h"
#include "util/ErrorResolver.h"
#include "util/FileReplacement.h"
#include "util/ReplacementBatch.h"
#include "util/platform/Platform.h"

using Vellamor::Plugin::PipelinePluginException;
using ostrel::platform::CopyResult;
using ostrel::platform::CreateResult;
using ostrel::platform::OpenResult;
using ostrel::platform::OtherWriters;
using ostrel::ReplaceStep;

namespace {

// " Reason: " and the system's text for the last error, read at once after
// the failing call.
std::string reason() { return " Reason: " + asSentence(lastSystemErrorText()); }

std::string openFailureReason(OpenResult result) {
    if (result == OpenResult::ReadOnly) {
        return " Reason: It is read-only.";
    }
    if (result == OpenResult::NotRegularFile) {
        // A directory says so itself; a FIFO, device or socket has no code
        // of its own.
        return ostrel::platform::isDirectoryError(ostrel::platform::lastErrorCode())
                   ? reason()
                   : std::string(" Reason: It is not a regular file.");
    }
    return reason();
}

[[noreturn]] void throwWriteFailure(const ostrel::FileReplacement& replacement) {
    throw PipelinePluginException("Failed to write output file '" + replacement.temporaryPath() +
                                  "' to rewrite '" + replacement.path() + "'." + reason());
}

void throwOnFailedCopy(CopyResult result, const ostrel::FileReplacement& replacement) {
    switch (result) {
        case CopyResult::Copied:
            return;
        case CopyResult::ReadFailed:
            throw PipelinePluginException("Failed to read input file '" + replacement.path() + "'." + reason());
        case CopyResult::WriteFailed:
            throwWriteFailure(replacement);
    }
}

void openOrThrow(ostrel::FileReplacement& replacement) {
    const OpenResult opened = replacement.openOriginal();
    if (opened != OpenResult::Opened) {
        throw PipelinePluginException("Failed to open input file '" + replacement.path() + "'." +
                                      openFailureReason(opened));
    }
}

// Checks the opened file for other writers and writes its new content; the
// replacement is then ready to be put in place. Throws as documented.
void prepareOpened(ostrel::FileReplacement& replacement, const std::string& prefix, const std::string& suffix,
                   const std::function<std::string()>& createName) {
    const std::string& path = replacement.path();
    // Where the system cannot tell (Unknown), the check before the rename is
    // the only one.
    const OtherWriters writers = replacement.otherWriters();
    if (writers == OtherWriters::Present) {
        throw PipelinePluginException("Input file '" + path +
                                      "' is open for writing by another process; it was left as it was, so that "
                                      "nothing that process writes is lost.");
    }
    if (writers == OtherWriters::Rewriting) {
        throw PipelinePluginException("Input file '" + path +
                                      "' is being rewritten (or held locked) by another process; it was left as it "
                                      "was.");
    }
    if (replacement.createTemporary(createName) != CreateResult::Created) {
        throw PipelinePluginException("Failed to open output file '" + replacement.temporaryPath() +
                                      "' to rewrite '" + path + "'." + reason());
    }
    if (!replacement.write(prefix)) {
        throwWriteFailure(replacement);
    }
    throwOnFailedCopy(replacement.copyOriginal(), replacement);
    if (!replacement.write(suffix)) {
        throwWriteFailure(replacement);
    }
    // The file stays private until the content is complete; only then does
    // it get what the file it replaces had.
    if (!replacement.finishContent()) {
        throwWriteFailure(replacement);
    }
}

// Throws the failure of step for replacement, which was put to the test in
// a batch (ReplacementBatch::commit).
[[noreturn]] void throwPlacementFailure(ReplaceStep step, const ostrel::FileReplacement& replacement) {
    const std::string& path = replacement.path();
    switch (step) {
        case ReplaceStep::Flush:
            // The content reached the system but not the disk: as a write
            // that failed.
            throwWriteFailure(replacement);
        case ReplaceStep::Changed:
            throw PipelinePluginException("Input file '" + path +
                                          "' was opened for writing or changed by another process while it was "
                                          "rewritten; it was left as it was, so that nothing that process wrote is "
                                          "lost.");
        case ReplaceStep::Move:
        case ReplaceStep::Done:
            break;
    }
    throw PipelinePluginException("Failed to move '" + replacement.temporaryPath() + "' to '" + path + "'." +
                                  reason());
}

// Puts the batch in place and empties it; throws the first failure.
void commit(ostrel::ReplacementBatch& batch) {
    const ostrel::ReplacementBatch::Result result = batch.commit();
    if (result.failedAt != ReplaceStep::Done) {
        throwPlacementFailure(result.failedAt, batch.at(result.placed));
    }
    batch.clear();
}

}  // namespace

void rewriteAllWithAddedText(const std::vector<std::string>& paths, const std::string& prefix,
                             const std::string& suffix, const std::function<std::string()>& createName) {
    const std::uint64_t addedBytes = prefix.size() + suffix.size();
    ostrel::ReplacementBatch batch;
    for (const std::string& path : paths) {
        auto replacement = std::make_unique<ostrel::FileReplacement>(path);
        try {
            openOrThrow(*replacement);
            // Before the claim on the file (otherWriters): a batch that is
            // full, or holds this very file already, is put in place first,
            // and the file opened again, so that a file listed twice is
            // rewritten again from what its first rewrite gave it.
            const ostrel::platform::FileExtent& extent = replacement->originalExtent();
            if (!batch.hasRoomFor(extent.identity, extent.size + addedBytes)) {
                replacement = std::make_unique<ostrel::FileReplacement>(path);
                commit(batch);
                openOrThrow(*replacement);
            }
            prepareOpened(*replacement, prefix, suffix, createName);
        } catch (...) {
            // The files before this one are replaced all the same; should one
            // of them fail, that earlier failure is the one reported, and
            // this file stays as it was.
            replacement.reset();
            commit(batch);
            throw;
        }
        const std::uint64_t newBytes = replacement->originalExtent().size + addedBytes;
        batch.add(std::move(replacement), newBytes);
    }
    commit(batch);
}

void rewriteWithAddedText(const std::string& path, const std::string& prefix, const std::string& suffix,
                          const std::function<std::string()>& createName) {
    rewriteAllWithAddedText({path}, prefix, suffix, createName);
}
