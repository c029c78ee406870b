#include "hemwright/FileRewriter.h"

#include "plugin/PluginException.h"
#include "util/ErrorResolver.h"
#include "util/FileReplacement.h"
#include "util/platform/Platform.h"

using Vellamor::Plugin::PipelinePluginException;
using ostrel::platform::CopyResult;
using ostrel::platform::CreateResult;
using ostrel::platform::OpenResult;
using ostrel::platform::OtherWriters;

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

}  // namespace

void rewriteWithAddedText(const std::string& path, const std::string& prefix, const std::string& suffix,
                          const std::function<std::string()>& createName) {
    ostrel::FileReplacement replacement(path);
    const OpenResult opened = replacement.openOriginal();
    if (opened != OpenResult::Opened) {
        throw PipelinePluginException("Failed to open input file '" + path + "'." + openFailureReason(opened));
    }
    // Where the system cannot tell (Unknown), the check after the copy is
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
    throwOnFailedCopy(replacement.complete(), replacement);
    if (!replacement.originalUnchanged()) {
        throw PipelinePluginException("Input file '" + path +
                                      "' was opened for writing or changed by another process while it was "
                                      "rewritten; it was left as it was, so that nothing that process wrote is "
                                      "lost.");
    }
    if (!replacement.replace()) {
        throw PipelinePluginException("Failed to move '" + replacement.temporaryPath() + "' to '" + path + "'." +
                                      reason());
    }
}
