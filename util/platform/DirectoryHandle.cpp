// The platform-neutral side of DirectoryHandle: opening and asking go to the
// file system in use, which keeps the platform's record of the directory.
#include "util/platform/DirectoryHandle.h"

#include "util/platform/FileSystem.h"
#include "util/platform/Platform.h"

namespace ostrel::platform {

DirectoryHandle::DirectoryHandle() = default;
DirectoryHandle::~DirectoryHandle() = default;
DirectoryHandle::DirectoryHandle(DirectoryHandle&& other) noexcept = default;
DirectoryHandle& DirectoryHandle::operator=(DirectoryHandle&& other) noexcept = default;

bool DirectoryHandle::open(const std::string& path) {
    state_.reset();
    path_.clear();
    return fileSystem().openDirectory(*this, path);
}

std::string DirectoryHandle::pathOf(const std::string& name) const {
    if (path_.empty() || isPathSeparator(path_.back())) {
        return path_ + name;
    }
    return path_ + "/" + name;
}

bool DirectoryHandle::queryNameLimit(std::size_t& nameBytes) const {
    return fileSystem().queryNameLimit(*this, nameBytes);
}

}  // namespace ostrel::platform
