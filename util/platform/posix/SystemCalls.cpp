#include "util/platform/posix/SystemCalls.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/resource.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <limits>

namespace ostrel::platform::posix {

namespace {

// Never destroyed: file code may still run from other objects' exit-time
// destructors.
SystemCalls& realCalls() {
    static SystemCalls& calls = *new SystemCalls;
    return calls;
}

SystemCalls* installed = nullptr;

}  // namespace

int SystemCalls::openAt(int directory, const char* name, int flags, mode_t mode) {
    return ::openat(directory, name, flags, mode);
}

int SystemCalls::statAt(int directory, const char* name, struct stat* info, int flags) {
    return ::fstatat(directory, name, info, flags);
}

int SystemCalls::renameAt(int fromDirectory, const char* from, int toDirectory, const char* to) {
    return ::renameat(fromDirectory, from, toDirectory, to);
}

int SystemCalls::unlinkAt(int directory, const char* name) { return ::unlinkat(directory, name, 0); }

int SystemCalls::close(int descriptor) { return ::close(descriptor); }

int SystemCalls::fstat(int descriptor, struct stat* info) { return ::fstat(descriptor, info); }

int SystemCalls::sync(int descriptor) { return ::fsync(descriptor); }

int SystemCalls::syncFileSystem(int descriptor) { return ::syncfs(descriptor); }

long SystemCalls::openFileLimit() {
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) {
        return -1;
    }
    return limit.rlim_cur == RLIM_INFINITY ? std::numeric_limits<long>::max() : static_cast<long>(limit.rlim_cur);
}

ssize_t SystemCalls::readAt(int descriptor, void* buffer, std::size_t size, off_t offset) {
    return ::pread(descriptor, buffer, size, offset);
}

ssize_t SystemCalls::write(int descriptor, const void* data, std::size_t size) {
    return ::write(descriptor, data, size);
}

ssize_t SystemCalls::copyFileRange(int from, off_t* fromOffset, int to, std::size_t size) {
    return ::copy_file_range(from, fromOffset, to, nullptr, size, 0);
}

off_t SystemCalls::seek(int descriptor, off_t offset, int whence) { return ::lseek(descriptor, offset, whence); }

int SystemCalls::truncate(int descriptor, off_t length) { return ::ftruncate(descriptor, length); }

int SystemCalls::fchown(int descriptor, uid_t owner, gid_t group) { return ::fchown(descriptor, owner, group); }

int SystemCalls::fchmod(int descriptor, mode_t mode) { return ::fchmod(descriptor, mode); }

ssize_t SystemCalls::listAttributes(int descriptor, char* names, std::size_t size) {
    return ::flistxattr(descriptor, names, size);
}

ssize_t SystemCalls::getAttribute(int descriptor, const char* name, void* value, std::size_t size) {
    return ::fgetxattr(descriptor, name, value, size);
}

int SystemCalls::setAttribute(int descriptor, const char* name, const void* value, std::size_t size) {
    return ::fsetxattr(descriptor, name, value, size, 0);
}

int SystemCalls::removeAttribute(int descriptor, const char* name) { return ::fremovexattr(descriptor, name); }

SystemCalls& systemCalls() { return installed != nullptr ? *installed : realCalls(); }

ScopedSystemCalls::ScopedSystemCalls(SystemCalls& calls) : previous_(installed) { installed = &calls; }

ScopedSystemCalls::~ScopedSystemCalls() { installed = previous_; }

}  // namespace ostrel::platform::posix
