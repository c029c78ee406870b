#include "util/TemporaryFile.h"

#include "util/FileOperations.h"
#include "util/RetryOperation.h"
#include "util/TemporaryName.h"
#include "util/platform/Platform.h"

namespace ostrel {

namespace {

// Names are GUIDs, so a taken name means a leftover of an earlier run; a few
// fresh names are plenty.
constexpr int kCreateAttempts = 5;

}  // namespace

TemporaryFile::~TemporaryFile() {
    file_.close();
    if (!exists_) {
        return;
    }
    if (!platform::removeFileEntry(path_) && !platform::isNotFoundError(platform::lastErrorCode())) {
        retryOperation(removeFile, path_, 10, 50, true);
    }
}

platform::CreateResult TemporaryFile::create(const std::string& target, platform::NewFileAccess access,
                                             const std::function<std::string()>& createName) {
    std::size_t nameLimit = kCommonNameLimit;
    platform::CreateResult result = platform::CreateResult::Failed;
    for (int attempt = 0; attempt < kCreateAttempts;) {
        path_ = temporaryPathBeside(target, createName(), nameLimit);
        {
            // No signal may fall between the creation and the registration
            // that lets a signal remove the file.
            const platform::TerminationSignalsBlocked blocked;
            result = file_.createExclusive(path_, access);
            if (result == platform::CreateResult::Created) {
                cleanup_ = platform::TerminationCleanup(path_);
            }
        }
        if (result == platform::CreateResult::Created) {
            exists_ = true;
            return result;
        }
        if (result == platform::CreateResult::NameTooLong) {
            const std::uint32_t tooLong = platform::lastErrorCode();
            const std::size_t directoryLimit = platform::fileNameLimit(parentDirectory(target));
            if (directoryLimit >= nameLimit) {
                // The name fits; the path as a whole is what is too long.
                platform::setLastErrorCode(tooLong);
                return platform::CreateResult::Failed;
            }
            nameLimit = directoryLimit;
            continue;
        }
        if (result == platform::CreateResult::Failed) {
            return result;
        }
        ++attempt;
    }
    return result;
}

bool TemporaryFile::renameOver(const std::string& target) {
    if (!platform::renameFile(path_, target)) {
        return false;
    }
    release();
    return true;
}

void TemporaryFile::release() {
    exists_ = false;
    cleanup_.release();
}

}  // namespace ostrel
