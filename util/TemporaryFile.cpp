#include "util/TemporaryFile.h"

#include "util/CrException.h"
#include "util/ErrorResolver.h"
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
    if (!exists_) {
        file_.close();
        return;
    }
    auto removeEntry = [this](const std::string&) {
        if (!platform::fileSystem().discard(file_, *directory_, name_)) {
            throw CrException("Failed to remove the file '" + path_ + "'. Reason: " + asSentence(lastSystemErrorText()),
                              E_FAIL);
        }
    };
    retryOperation(removeEntry, path_, 10, 50, true);
    release();
}

platform::CreateResult TemporaryFile::create(const platform::DirectoryHandle& directory,
                                             const std::string& targetName, platform::NewFileAccess access,
                                             const std::function<std::string()>& createName) {
    directory_ = &directory;
    std::size_t nameLimit = kCommonNameLimit;
    platform::CreateResult result = platform::CreateResult::Failed;
    for (int attempt = 0; attempt < kCreateAttempts;) {
        name_ = temporaryNameBeside(targetName, createName(), nameLimit);
        path_ = directory.pathOf(name_);
        result = file_.createExclusive(directory, name_, access, &removalOnStop_);
        if (result == platform::CreateResult::Created) {
            exists_ = true;
            return result;
        }
        if (result == platform::CreateResult::NameTooLong) {
            const std::uint32_t tooLong = platform::lastErrorCode();
            std::size_t directoryLimit = 0;
            if (!directory.queryNameLimit(directoryLimit) || directoryLimit >= nameLimit) {
                // The name fits the directory; the file system refuses it all
                // the same.
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

bool TemporaryFile::putInPlace(const std::string& targetName, platform::Placement placement,
                               platform::FileHandle* replaced) {
    if (!exists_ || !platform::fileSystem().putInPlace(file_, *directory_, name_, targetName, placement, replaced)) {
        return false;
    }
    release();
    return true;
}

void TemporaryFile::release() {
    exists_ = false;
    removalOnStop_.release();
}

}  // namespace ostrel
