#include "tests/support/posix/SystemCallFaults.h"

#include <fcntl.h>

#include <cerrno>
#include <cstring>

namespace testing_support {

using Real = ostrel::platform::posix::SystemCalls;

int SystemCallFaults::openAt(int directory, const char* name, int flags, mode_t mode) {
    if (fault_ == SystemFault::CreateFails && (flags & O_CREAT) != 0) {
        errno = EACCES;
        return -1;
    }
    if (fault_ == SystemFault::DirectoryUnreadable && (flags & O_DIRECTORY) != 0 && (flags & O_PATH) == 0) {
        errno = EACCES;
        return -1;
    }
    const int descriptor = Real::openAt(directory, name, flags, mode);
    if (descriptor >= 0 && (flags & O_ACCMODE) != O_RDONLY) {
        written_.insert(descriptor);
    }
    return descriptor;
}

int SystemCallFaults::renameAt(int fromDirectory, const char* from, int toDirectory, const char* to) {
    if (fault_ == SystemFault::RenameRefused) {
        errno = EBUSY;
        return -1;
    }
    return Real::renameAt(fromDirectory, from, toDirectory, to);
}

int SystemCallFaults::close(int descriptor) {
    const int result = Real::close(descriptor);
    if (written_.erase(descriptor) != 0 && fault_ == SystemFault::CloseOfWrittenFileFails) {
        errno = EIO;
        return -1;
    }
    return result;
}

ssize_t SystemCallFaults::readAt(int descriptor, void* buffer, std::size_t size, off_t offset) {
    if (fault_ == SystemFault::ReadFails) {
        errno = EIO;
        return -1;
    }
    return Real::readAt(descriptor, buffer, size, offset);
}

ssize_t SystemCallFaults::write(int descriptor, const void* data, std::size_t size) {
    if (fault_ == SystemFault::WriteInterruptedOnce && !struck_) {
        struck_ = true;
        errno = EINTR;
        return -1;
    }
    if (fault_ == SystemFault::ShortWrites && size > 1000) {
        size = 1000;
    }
    return Real::write(descriptor, data, size);
}

ssize_t SystemCallFaults::copyFileRange(int from, off_t* fromOffset, int to, std::size_t size) {
    if (fault_ == SystemFault::KernelCopyRefused || fault_ == SystemFault::ShortWrites ||
        fault_ == SystemFault::ReadFails) {
        errno = fault_ == SystemFault::ReadFails ? EIO : EXDEV;
        return -1;
    }
    if (fault_ == SystemFault::KernelCopyFindsNothing && !struck_) {
        struck_ = true;
        return 0;
    }
    return Real::copyFileRange(from, fromOffset, to, size);
}

int SystemCallFaults::fchown(int descriptor, uid_t owner, gid_t group) {
    if (fault_ == SystemFault::OwnerChangeRefused) {
        errno = EPERM;
        return -1;
    }
    return Real::fchown(descriptor, owner, group);
}

int SystemCallFaults::sync(int descriptor) {
    if (fault_ == SystemFault::FlushUnsupported) {
        errno = EINVAL;
        return -1;
    }
    return Real::sync(descriptor);
}

int SystemCallFaults::syncFileSystem(int descriptor) {
    ++fileSystemSyncs_;
    if (fault_ == SystemFault::FlushUnsupported || fault_ == SystemFault::FileSystemFlushFails) {
        errno = fault_ == SystemFault::FlushUnsupported ? EINVAL : EIO;
        return -1;
    }
    return Real::syncFileSystem(descriptor);
}

int SystemCallFaults::setAttribute(int descriptor, const char* name, const void* value, std::size_t size) {
    if (fault_ == SystemFault::PrivilegedAttributesRefused &&
        (std::strncmp(name, "trusted.", 8) == 0 || std::strncmp(name, "security.", 9) == 0)) {
        errno = EPERM;
        return -1;
    }
    return Real::setAttribute(descriptor, name, value, size);
}

}  // namespace testing_support
