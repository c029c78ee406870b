#include "util/PendingNames.h"

#include <algorithm>
#include <string>

#include "util/CrException.h"
#include "util/ErrorResolver.h"
#include "util/platform/FileSystem.h"
#include "util/platform/Platform.h"

namespace ostrel {

namespace {

// Never destroyed, so that no exit-time destructor closes a directory after
// the file system is gone.
std::vector<std::shared_ptr<const platform::DirectoryHandle>>& listed() {
    static auto& directories = *new std::vector<std::shared_ptr<const platform::DirectoryHandle>>;
    return directories;
}

}  // namespace

void addPendingNames(std::shared_ptr<const platform::DirectoryHandle> directory) {
    auto& directories = listed();
    const bool known = std::any_of(directories.begin(), directories.end(),
                                   [&directory](const auto& entry) { return entry.get() == directory.get(); });
    if (!known) {
        directories.push_back(std::move(directory));
    }
}

std::vector<const platform::DirectoryHandle*> pendingNames() {
    std::vector<const platform::DirectoryHandle*> directories;
    for (const auto& entry : listed()) {
        directories.push_back(entry.get());
    }
    return directories;
}

void keepPendingNames(const std::vector<const platform::DirectoryHandle*>& stillPending) {
    auto& directories = listed();
    directories.erase(std::remove_if(directories.begin(), directories.end(),
                                     [&stillPending](const auto& entry) {
                                         return std::find(stillPending.begin(), stillPending.end(), entry.get()) ==
                                                stillPending.end();
                                     }),
                      directories.end());
}

bool makeNamesDurableNow(const platform::DirectoryHandle& directory) {
    std::vector<const platform::DirectoryHandle*> others = pendingNames();
    others.erase(std::remove(others.begin(), others.end(), &directory), others.end());
    keepPendingNames(others);
    return platform::fileSystem().makeNamesDurable(directory);
}

void makePendingNamesDurable() {
    std::string failure;
    auto directories = std::move(listed());
    listed().clear();
    for (const auto& directory : directories) {
        if (!platform::fileSystem().makeNamesDurable(*directory) && failure.empty()) {
            std::string path = directory->path().empty() ? "." : directory->path();
            if (path.size() > 1 && platform::isPathSeparator(path.back())) {
                path.pop_back();
            }
            failure = "Failed to flush the directory '" + path +
                      "' to disk; the files put in place there are replaced but not known to be on disk. Reason: " +
                      asSentence(lastSystemErrorText());
        }
    }
    if (!failure.empty()) {
        throw CrException(failure, E_FAIL);
    }
}

}  // namespace ostrel
