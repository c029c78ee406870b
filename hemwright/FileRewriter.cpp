#include "hemwright/FileRewriter.h"

#include "plugin/PluginException.h"
#include "util/AutoDeleteFileSet.h"
#include "util/CrException.h"
#include "util/FileOperations.h"
#include "util/platform/FileHandle.h"

using Vellamor::Plugin::PipelinePluginException;
using ostrel::platform::CopyResult;
using ostrel::platform::CreateResult;
using ostrel::platform::FileHandle;
using ostrel::platform::OpenResult;

namespace {

// Names are GUIDs, so a taken name means a leftover of an earlier run; a few
// fresh names are plenty.
constexpr int kCreateAttempts = 5;

[[noreturn]] void throwReadFailure(const std::string& path) {
    throw PipelinePluginException("Failed to read input file '" + path + "'.");
}

[[noreturn]] void throwWriteFailure(const std::string& temporary) {
    throw PipelinePluginException("Failed to write output file '" + temporary + "'.");
}

// Creates a new temporary file beside path, open in file, and returns its name.
std::string createTemporaryBeside(const std::string& path, FileHandle& file,
                                  const std::function<std::string()>& createName) {
    std::string temporary;
    for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
        temporary = path + "-tmp-" + createName();
        const CreateResult result = file.createExclusive(temporary);
        if (result == CreateResult::Created) {
            return temporary;
        }
        if (result == CreateResult::Failed) {
            break;
        }
    }
    throw PipelinePluginException("Failed to open output file '" + temporary + "'.");
}

}  // namespace

void rewriteWithAddedText(const std::string& path, const std::string& prefix, const std::string& suffix,
                          const std::function<std::string()>& createName) {
    FileHandle input;
    ostrel::platform::FileAccess access;
    if (input.openForReading(path, access) != OpenResult::Opened) {
        throw PipelinePluginException("Failed to open input file '" + path + "'.");
    }

    // Declared before the output handle so the file is closed before it is
    // removed; after a successful move there is nothing left to remove.
    ostrel::AutoDeleteFileSet temporaryFiles(false, true);
    FileHandle output;
    const std::string temporary = createTemporaryBeside(path, output, createName);
    temporaryFiles.addFile(temporary);

    if (!output.writeAll(prefix)) {
        throwWriteFailure(temporary);
    }
    switch (output.copyRemainderFrom(input)) {
        case CopyResult::Copied:
            break;
        case CopyResult::ReadFailed:
            throwReadFailure(path);
        case CopyResult::WriteFailed:
            throwWriteFailure(temporary);
    }
    if (!output.writeAll(suffix)) {
        throwWriteFailure(temporary);
    }
    // The file stays private until the content is complete; only then does
    // it get the access of the file it replaces.
    if (!output.applyAccess(access)) {
        throwWriteFailure(temporary);
    }
    if (!input.close()) {
        throwReadFailure(path);
    }
    if (!output.close()) {
        throwWriteFailure(temporary);
    }

    try {
        ostrel::moveFile(temporary, path, true);
    } catch (const ostrel::CrException& failure) {
        throw PipelinePluginException("Failed to move '" + temporary + "' to '" + path +
                                      "'. Reason: " + failure.getMessage());
    }
}
