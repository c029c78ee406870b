#include "util/FileReplacement.h"

#include "util/PathParts.h"
#include "util/PendingNames.h"
#include "util/ReplacementBatch.h"
#include "util/platform/Platform.h"

namespace ostrel {

namespace {

// The directory of the last file, opened when it was first needed. Opening
// a directory costs as much as a third of a small file's rewrite; the
// program is single-threaded. Kept until the process ends (never destroyed,
// so that no exit-time destructor calls into a file system already gone).
struct LastDirectory {
    std::string path;
    std::shared_ptr<const platform::DirectoryHandle> handle;
};

std::shared_ptr<const platform::DirectoryHandle> openDirectory(const std::string& path) {
    static LastDirectory& last = *new LastDirectory;
    if (last.handle && path == last.path) {
        return last.handle;
    }
    auto directory = std::make_shared<platform::DirectoryHandle>();
    if (!directory->open(path)) {
        return nullptr;
    }
    last.path = path;
    last.handle = std::move(directory);
    return last.handle;
}

}  // namespace

platform::OpenResult FileReplacement::openOriginal(platform::Links links) {
    const PathParts parts = splitPath(path_);
    name_ = parts.name;
    directory_ = openDirectory(parts.directory);
    if (!directory_) {
        return platform::isNotFoundError(platform::lastErrorCode()) ? platform::OpenResult::NotFound
                                                                     : platform::OpenResult::Failed;
    }
    const platform::OpenResult result =
        original_.openForReading(*directory_, name_.empty() ? "." : name_, access_, extent_, links);
    if (result == platform::OpenResult::Opened && !access_.mayBeReplaced()) {
        original_.close();
        return platform::OpenResult::ReadOnly;
    }
    hasOriginal_ = result == platform::OpenResult::Opened;
    return result;
}

platform::CreateResult FileReplacement::createTemporary(const std::function<std::string()>& createName) {
    return temporary_.create(*directory_, name_, platform::NewFileAccess::Private, createName);
}

platform::CreateResult FileReplacement::createNewFile(const std::function<std::string()>& createName) {
    const PathParts parts = splitPath(path_);
    name_ = parts.name;
    auto directory = std::make_shared<platform::DirectoryHandle>();
    if (!directory->open(parts.directory)) {
        return platform::CreateResult::Failed;
    }
    directory_ = std::move(directory);
    return temporary_.create(*directory_, name_, platform::NewFileAccess::Fresh, createName);
}

bool FileReplacement::finishContent() {
    if (hasOriginal_ && !temporary_.file().applyAccess(access_)) {
        return false;
    }
    return temporary_.finish();
}

bool FileReplacement::originalUnchanged() const {
    return !hasOriginal_ || (!original_.writerArrived() && original_.isUnchangedAt(*directory_, name_));
}

ReplaceStep FileReplacement::putInPlace() {
    if (hasOriginal_) {
        if (!temporary_.putInPlace(name_, platform::Placement::Replacement, &original_)) {
            return ReplaceStep::Move;
        }
        // Closing gives up the watch on writers: one that waited now writes
        // to the new file's predecessor, which only happens when it asked in
        // the moment after the check.
        original_.close();
    } else if (!temporary_.putInPlace(name_, platform::Placement::NewFile)) {
        return ReplaceStep::Move;
    }
    addPendingNames(directory_);
    return ReplaceStep::Done;
}

bool FileReplacement::makeNameDurable() { return makeNamesDurableNow(*directory_); }

ReplaceStep FileReplacement::replace() {
    FileReplacement* const self = this;
    return ReplacementBatch::commitAll(&self, 1).failedAt;
}

}  // namespace ostrel
