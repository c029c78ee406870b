// POSIX implementation of FileHandle.
#include "util/platform/FileHandle.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>

namespace ostrel::platform {

namespace {

// Large enough that the kernel does one request per gigabyte of content.
constexpr std::size_t kKernelCopyChunk = std::size_t(1) << 30;
// The fallback's buffer; fixed, so memory use does not grow with file size.
constexpr std::size_t kBufferSize = std::size_t(256) << 10;

bool writeAllTo(int descriptor, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

CopyResult copyThroughBuffer(int from, int to) {
    const std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    for (;;) {
        const ssize_t count = ::read(from, buffer.get(), kBufferSize);
        if (count == 0) {
            return CopyResult::Copied;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return CopyResult::ReadFailed;
        }
        if (!writeAllTo(to, buffer.get(), static_cast<std::size_t>(count))) {
            return CopyResult::WriteFailed;
        }
    }
}

}  // namespace

FileHandle::~FileHandle() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

FileHandle::FileHandle(FileHandle&& other) noexcept : descriptor_(other.descriptor_) {
    other.descriptor_ = -1;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) {
            ::close(descriptor_);
        }
        descriptor_ = other.descriptor_;
        other.descriptor_ = -1;
    }
    return *this;
}

OpenResult FileHandle::openForReading(const std::string& path, FileAccess& access) {
    close();
    // O_NONBLOCK keeps the open of a FIFO without a writer from waiting; the
    // type check below then turns it away before anything is read.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) {
        return (errno == ENOENT || errno == ENOTDIR) ? OpenResult::NotFound : OpenResult::Failed;
    }
    struct stat info {};
    if (::fstat(descriptor, &info) != 0) {
        const int error = errno;
        ::close(descriptor);
        errno = error;
        return OpenResult::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(descriptor);
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return OpenResult::NotRegularFile;
    }
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags >= 0) {
        ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK);
    }
    access.permissions = static_cast<std::uint32_t>(info.st_mode & 07777);
    access.owner = static_cast<std::uint32_t>(info.st_uid);
    access.group = static_cast<std::uint32_t>(info.st_gid);
    descriptor_ = descriptor;
    return OpenResult::Opened;
}

CreateResult FileHandle::createExclusive(const std::string& path) {
    close();
    const int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        return errno == EEXIST ? CreateResult::AlreadyExists : CreateResult::Failed;
    }
    descriptor_ = descriptor;
    return CreateResult::Created;
}

std::int64_t FileHandle::readSome(char* buffer, std::size_t size) {
    if (descriptor_ < 0) {
        errno = EBADF;
        return -1;
    }
    for (;;) {
        const ssize_t count = ::read(descriptor_, buffer, size);
        if (count >= 0 || errno != EINTR) {
            return static_cast<std::int64_t>(count);
        }
    }
}

bool FileHandle::writeAll(const char* data, std::size_t size) {
    if (descriptor_ < 0) {
        errno = EBADF;
        return false;
    }
    return writeAllTo(descriptor_, data, size);
}

CopyResult FileHandle::copyRemainderFrom(FileHandle& source) {
    if (descriptor_ < 0 || source.descriptor_ < 0) {
        errno = EBADF;
        return descriptor_ < 0 ? CopyResult::WriteFailed : CopyResult::ReadFailed;
    }
    bool copiedAnything = false;
    for (;;) {
        const ssize_t count =
            ::copy_file_range(source.descriptor_, nullptr, descriptor_, nullptr, kKernelCopyChunk, 0);
        if (count > 0) {
            copiedAnything = true;
            continue;
        }
        if (count == 0 && copiedAnything) {
            return CopyResult::Copied;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        // Everything else goes through the buffer from where the kernel copy
        // stopped (both positions have advanced together): file systems that
        // refuse the kernel copy (EXDEV, EINVAL, ENOSYS, EOPNOTSUPP), files
        // that report no content to it though they have some, and real
        // failures, which read or write then report on the side they belong to.
        return copyThroughBuffer(source.descriptor_, descriptor_);
    }
}

bool FileHandle::applyAccess(const FileAccess& access) {
    if (descriptor_ < 0) {
        errno = EBADF;
        return false;
    }
    // Owner first: a change of owner clears the set-id bits that the mode
    // then restores.
    // Without the privilege to give the file away, the group alone may still
    // be set when the process belongs to it.
    if (::fchown(descriptor_, static_cast<uid_t>(access.owner), static_cast<gid_t>(access.group)) != 0) {
        if (errno != EPERM) {
            return false;
        }
        if (::fchown(descriptor_, static_cast<uid_t>(-1), static_cast<gid_t>(access.group)) != 0 &&
            errno != EPERM) {
            return false;
        }
    }
    return ::fchmod(descriptor_, static_cast<mode_t>(access.permissions & 07777)) == 0;
}

bool FileHandle::close() {
    if (descriptor_ < 0) {
        return true;
    }
    const int descriptor = descriptor_;
    descriptor_ = -1;
    // The descriptor is gone after close even when it reports EINTR, so it
    // is never closed twice.
    return ::close(descriptor) == 0;
}

}  // namespace ostrel::platform
