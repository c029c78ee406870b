#include "hemwright/FileRewriter.h"

#include "plugin/PluginException.h"
#include "util/CrException.h"
#include "util/FileOperations.h"
#include "util/FileReplacement.h"

using Vellamor::Plugin::PipelinePluginException;
using ostrel::platform::CopyResult;
using ostrel::platform::CreateResult;
using ostrel::platform::OpenResult;

namespace {

void throwOnFailedCopy(CopyResult result, const ostrel::FileReplacement& replacement) {
    switch (result) {
        case CopyResult::Copied:
            return;
        case CopyResult::ReadFailed:
            throw PipelinePluginException("Failed to read input file '" + replacement.path() + "'.");
        case CopyResult::WriteFailed:
            throw PipelinePluginException("Failed to write output file '" + replacement.temporaryPath() + "'.");
    }
}

}  // namespace

void rewriteWithAddedText(const std::string& path, const std::string& prefix, const std::string& suffix,
                          const std::function<std::string()>& createName) {
    ostrel::FileReplacement replacement(path);
    if (replacement.openOriginal() != OpenResult::Opened) {
        throw PipelinePluginException("Failed to open input file '" + path + "'.");
    }
    if (replacement.createTemporary(createName) != CreateResult::Created) {
        throw PipelinePluginException("Failed to open output file '" + replacement.temporaryPath() + "'.");
    }
    throwOnFailedCopy(replacement.write(prefix) ? CopyResult::Copied : CopyResult::WriteFailed, replacement);
    throwOnFailedCopy(replacement.copyOriginal(), replacement);
    throwOnFailedCopy(replacement.write(suffix) ? CopyResult::Copied : CopyResult::WriteFailed, replacement);
    // The file stays private until the content is complete; only then does
    // it get what the file it replaces had.
    throwOnFailedCopy(replacement.complete(), replacement);

    const std::string& temporary = replacement.temporaryPath();
    try {
        ostrel::moveFile(temporary, path, true);
    } catch (const ostrel::CrException& failure) {
        throw PipelinePluginException("Failed to move '" + temporary + "' to '" + path +
                                      "'. Reason: " + failure.getMessage());
    }
    replacement.temporary().release();
}
