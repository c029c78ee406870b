// POSIX implementation of DirectoryHandle: a directory descriptor and the
// *at() calls relative to it.
#include "util/platform/DirectoryHandle.h"

#include "util/platform/posix/SystemCalls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

namespace ostrel::platform {

using posix::systemCalls;

DirectoryHandle::~DirectoryHandle() {
    if (descriptor_ >= 0) {
        systemCalls().close(descriptor_);
    }
}

DirectoryHandle::DirectoryHandle(DirectoryHandle&& other) noexcept
    : descriptor_(other.descriptor_), path_(std::move(other.path_)) {
    other.descriptor_ = -1;
}

DirectoryHandle& DirectoryHandle::operator=(DirectoryHandle&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) {
            systemCalls().close(descriptor_);
        }
        descriptor_ = other.descriptor_;
        path_ = std::move(other.path_);
        other.descriptor_ = -1;
    }
    return *this;
}

bool DirectoryHandle::open(const std::string& path) {
    if (descriptor_ >= 0) {
        systemCalls().close(descriptor_);
        descriptor_ = -1;
    }
    // O_PATH needs only search permission on the directory, as looking a
    // name up by its full path does.
    const int descriptor = systemCalls().openAt(AT_FDCWD, path.empty() ? "." : path.c_str(),
                                                O_PATH | O_DIRECTORY | O_CLOEXEC, 0);
    if (descriptor < 0) {
        return false;
    }
    descriptor_ = descriptor;
    path_ = path;
    return true;
}

std::string DirectoryHandle::pathOf(const std::string& name) const {
    if (path_.empty()) {
        return name;
    }
    return path_.back() == '/' ? path_ + name : path_ + "/" + name;
}

bool DirectoryHandle::rename(const std::string& from, const std::string& to) const {
    return systemCalls().renameAt(descriptor_, from.c_str(), descriptor_, to.c_str()) == 0;
}

bool DirectoryHandle::remove(const std::string& name) const {
    return systemCalls().unlinkAt(descriptor_, name.c_str()) == 0;
}

bool DirectoryHandle::queryNameLimit(std::size_t& nameBytes) const {
    errno = 0;
    const long limit = ::fpathconf(descriptor_, _PC_NAME_MAX);
    if (limit < 0) {
        if (errno != 0) {
            return false;
        }
        nameBytes = std::numeric_limits<std::size_t>::max();
        return true;
    }
    nameBytes = static_cast<std::size_t>(limit);
    return true;
}

}  // namespace ostrel::platform
