// POSIX implementation of FileHandle. Every system call goes through
// posix::systemCalls(), so that tests can make one of them fail.
#include "util/platform/FileHandle.h"

#include "util/platform/posix/SystemCalls.h"
#include "util/platform/posix/WriteLease.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <memory>

namespace ostrel::platform {

namespace {

using posix::systemCalls;

// Large enough that the kernel does one request per gigabyte of content.
constexpr std::size_t kKernelCopyChunk = std::size_t(1) << 30;
// The fallback's buffer; fixed, so memory use does not grow with file size.
constexpr std::size_t kBufferSize = std::size_t(256) << 10;
constexpr std::uint64_t kToTheEnd = std::numeric_limits<std::uint64_t>::max();

const char kAccessAclName[] = "system.posix_acl_access";
const char kUserNamespace[] = "user.";

bool isUnsupported(int error) { return error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS; }

bool writeAllTo(int descriptor, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = systemCalls().write(descriptor, data, size);
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

// Copies up to limit bytes, or to the end of from, through a buffer.
CopyResult copyThroughBuffer(int from, int to, std::uint64_t limit) {
    const std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    while (limit > 0) {
        const std::size_t wanted = limit < kBufferSize ? static_cast<std::size_t>(limit) : kBufferSize;
        const ssize_t count = systemCalls().read(from, buffer.get(), wanted);
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
        limit -= static_cast<std::uint64_t>(count);
    }
    return CopyResult::Copied;
}

// Copies up to limit bytes, or to the end of from, from and to the two
// descriptors' positions: in the kernel, and through the buffer from where
// the kernel copy stopped (both positions advance together) when the file
// systems refuse it (EXDEV, EINVAL, ENOSYS, EOPNOTSUPP), when the source
// reports no content to it though it may have some, and on real failures,
// which read or write then report on the side they belong to.
CopyResult copyRange(int from, int to, std::uint64_t limit) {
    bool copiedAnything = false;
    while (limit > 0) {
        const std::size_t wanted = limit < kKernelCopyChunk ? static_cast<std::size_t>(limit) : kKernelCopyChunk;
        const ssize_t count = systemCalls().copyFileRange(from, to, wanted);
        if (count > 0) {
            copiedAnything = true;
            limit -= static_cast<std::uint64_t>(count);
            continue;
        }
        if (count == 0 && copiedAnything) {
            return CopyResult::Copied;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        return copyThroughBuffer(from, to, limit);
    }
    return CopyResult::Copied;
}

bool seekTo(int descriptor, off_t offset) { return systemCalls().seek(descriptor, offset, SEEK_SET) == offset; }

// Copies the data ranges of from, from its position on, to the same relative
// places of to, and leaves to positioned and sized as if every byte had been
// written. A file system that cannot tell data from holes is copied whole.
CopyResult copyKeepingHoles(int from, int to) {
    const off_t start = systemCalls().seek(from, 0, SEEK_CUR);
    const off_t base = systemCalls().seek(to, 0, SEEK_CUR);
    if (start < 0 || base < 0) {
        return copyRange(from, to, kToTheEnd);
    }
    off_t position = start;
    for (;;) {
        const off_t data = systemCalls().seek(from, position, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) {  // nothing but a hole from position to the end
                const off_t end = systemCalls().seek(from, 0, SEEK_END);
                if (end < 0) {
                    return CopyResult::ReadFailed;
                }
                position = end > position ? end : position;
            }
            break;
        }
        const off_t hole = systemCalls().seek(from, data, SEEK_HOLE);
        if (hole < data || !seekTo(from, data) || !seekTo(to, base + (data - start))) {
            break;
        }
        const CopyResult result = copyRange(from, to, static_cast<std::uint64_t>(hole - data));
        if (result != CopyResult::Copied) {
            return result;
        }
        position = hole;
    }
    // The rest from position on: normally nothing, but it carries what a
    // file system without hole support holds and what was appended meanwhile.
    if (!seekTo(from, position)) {
        return CopyResult::ReadFailed;
    }
    if (!seekTo(to, base + (position - start))) {
        return CopyResult::WriteFailed;
    }
    const CopyResult result = copyRange(from, to, kToTheEnd);
    if (result != CopyResult::Copied) {
        return result;
    }
    // A hole at the end is not written; the size says it is there.
    const off_t end = systemCalls().seek(to, 0, SEEK_CUR);
    return end >= 0 && systemCalls().truncate(to, end) == 0 ? CopyResult::Copied : CopyResult::WriteFailed;
}

// The value of the extended attribute name, in value. Returns false with
// errno set on a failure; ENODATA means the attribute went away meanwhile.
bool readAttribute(int descriptor, const char* name, std::string& value) {
    for (;;) {
        const ssize_t size = systemCalls().getAttribute(descriptor, name, nullptr, 0);
        if (size < 0) {
            return false;
        }
        value.resize(static_cast<std::size_t>(size));
        const ssize_t read = systemCalls().getAttribute(descriptor, name, value.data(), value.size());
        if (read >= 0) {
            value.resize(static_cast<std::size_t>(read));
            return true;
        }
        if (errno != ERANGE) {  // ERANGE: it grew in between; ask again
            return false;
        }
    }
}

// The NUL-separated names of the extended attributes of the file. Returns
// false with errno set on a failure.
bool listAttributes(int descriptor, std::string& names) {
    // Most files have no attribute at all: one call with a small buffer
    // answers for them.
    char small[512];
    ssize_t size = systemCalls().listAttributes(descriptor, small, sizeof small);
    if (size >= 0) {
        names.assign(small, static_cast<std::size_t>(size));
        return true;
    }
    while (errno == ERANGE) {
        size = systemCalls().listAttributes(descriptor, nullptr, 0);
        if (size < 0) {
            return false;
        }
        names.resize(static_cast<std::size_t>(size));
        size = systemCalls().listAttributes(descriptor, names.data(), names.size());
        if (size >= 0) {
            names.resize(static_cast<std::size_t>(size));
            return true;
        }
    }
    return false;
}

// The result of opening path as descriptor (negative: the open failed),
// given that only a regular file may be used; anything else is closed again.
OpenResult keepOnlyRegularFile(int descriptor, struct stat& info) {
    if (descriptor < 0) {
        if (errno == ENXIO) {  // a FIFO without a reader, a device without its driver
            return OpenResult::NotRegularFile;
        }
        return (errno == ENOENT || errno == ENOTDIR) ? OpenResult::NotFound : OpenResult::Failed;
    }
    if (systemCalls().fstat(descriptor, &info) != 0) {
        const int error = errno;
        systemCalls().close(descriptor);
        errno = error;
        return OpenResult::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        systemCalls().close(descriptor);
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return OpenResult::NotRegularFile;
    }
    return OpenResult::Opened;
}

}  // namespace

FileHandle::~FileHandle() {
    if (descriptor_ >= 0) {
        systemCalls().close(descriptor_);
    }
}

FileHandle::FileHandle(FileHandle&& other) noexcept : descriptor_(other.descriptor_) {
    other.descriptor_ = -1;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) {
            systemCalls().close(descriptor_);
        }
        descriptor_ = other.descriptor_;
        other.descriptor_ = -1;
    }
    return *this;
}

OpenResult FileHandle::openForReading(const std::string& path, FileAccess& access, FileExtent& extent) {
    close();
    // O_NONBLOCK keeps the open of a FIFO without a writer from waiting; the
    // type check below then turns it away before anything is read. On a
    // regular file the flag changes nothing, so it stays set.
    const int descriptor = systemCalls().open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0);
    struct stat info {};
    const OpenResult result = keepOnlyRegularFile(descriptor, info);
    if (result != OpenResult::Opened) {
        return result;
    }
    access.permissions = static_cast<std::uint32_t>(info.st_mode & 07777);
    access.owner = static_cast<std::uint32_t>(info.st_uid);
    access.group = static_cast<std::uint32_t>(info.st_gid);
    access.accessControlList.clear();
    access.userAttributes.clear();
    extent.size = static_cast<std::uint64_t>(info.st_size);
    extent.allocatedBytes = static_cast<std::uint64_t>(info.st_blocks) * 512u;
    descriptor_ = descriptor;
    return OpenResult::Opened;
}

bool FileHandle::readAttributes(FileAccess& access) {
    if (descriptor_ < 0) {
        errno = EBADF;
        return false;
    }
    std::string names;
    if (!listAttributes(descriptor_, names)) {
        return isUnsupported(errno);
    }
    for (std::size_t start = 0; start < names.size();) {
        std::size_t end = names.find('\0', start);
        if (end == std::string::npos) {
            end = names.size();
        }
        const std::string name = names.substr(start, end - start);
        start = end + 1;
        const bool isAcl = name == kAccessAclName;
        if (!isAcl && name.compare(0, sizeof kUserNamespace - 1, kUserNamespace) != 0) {
            continue;
        }
        std::string value;
        if (!readAttribute(descriptor_, name.c_str(), value)) {
            if (errno == ENODATA) {
                continue;
            }
            return false;
        }
        if (isAcl) {
            access.accessControlList = value;
        } else {
            access.userAttributes.emplace_back(name, value);
        }
    }
    return true;
}

CreateResult FileHandle::createExclusive(const std::string& path, NewFileAccess access) {
    close();
    const mode_t mode = access == NewFileAccess::Private ? 0600 : 0666;
    const int descriptor =
        systemCalls().open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
    if (descriptor < 0) {
        return errno == EEXIST         ? CreateResult::AlreadyExists
               : errno == ENAMETOOLONG ? CreateResult::NameTooLong
                                       : CreateResult::Failed;
    }
    descriptor_ = descriptor;
    return CreateResult::Created;
}

OpenResult FileHandle::openForAppending(const std::string& path) {
    close();
    const int descriptor =
        systemCalls().open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    struct stat info {};
    const OpenResult result = keepOnlyRegularFile(descriptor, info);
    if (result != OpenResult::Opened) {
        return result;
    }
    descriptor_ = descriptor;
    return OpenResult::Opened;
}

std::int64_t FileHandle::readSome(char* buffer, std::size_t size) {
    if (descriptor_ < 0) {
        errno = EBADF;
        return -1;
    }
    for (;;) {
        const ssize_t count = systemCalls().read(descriptor_, buffer, size);
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

CopyResult FileHandle::copyRemainderFrom(FileHandle& source, bool keepHoles) {
    if (descriptor_ < 0 || source.descriptor_ < 0) {
        errno = EBADF;
        return descriptor_ < 0 ? CopyResult::WriteFailed : CopyResult::ReadFailed;
    }
    return keepHoles ? copyKeepingHoles(source.descriptor_, descriptor_)
                     : copyRange(source.descriptor_, descriptor_, kToTheEnd);
}

bool FileHandle::applyAccess(const FileAccess& access) {
    if (descriptor_ < 0) {
        errno = EBADF;
        return false;
    }
    const uid_t owner = static_cast<uid_t>(access.owner);
    const gid_t group = static_cast<gid_t>(access.group);
    bool ownerKept = true;
    bool groupKept = true;
    if (systemCalls().fchown(descriptor_, owner, group) != 0) {
        if (errno != EPERM) {
            return false;
        }
        // Without the privilege to give the file away, the group alone may
        // still be set when the process belongs to it; what the file ends
        // with decides which set-id bits it may keep.
        if (systemCalls().fchown(descriptor_, static_cast<uid_t>(-1), group) != 0 && errno != EPERM) {
            return false;
        }
        struct stat info {};
        if (systemCalls().fstat(descriptor_, &info) != 0) {
            return false;
        }
        ownerKept = info.st_uid == owner;
        groupKept = info.st_gid == group;
    }
    for (const auto& attribute : access.userAttributes) {
        if (systemCalls().setAttribute(descriptor_, attribute.first.c_str(), attribute.second.data(),
                                       attribute.second.size()) != 0) {
            return false;
        }
    }
    if (!access.accessControlList.empty()) {
        if (systemCalls().setAttribute(descriptor_, kAccessAclName, access.accessControlList.data(),
                                       access.accessControlList.size()) != 0) {
            return false;
        }
    } else if (systemCalls().removeAttribute(descriptor_, kAccessAclName) != 0 && errno != ENODATA &&
               !isUnsupported(errno)) {
        // A file created in a directory with a default ACL got one; the file
        // it replaces had none, so neither may this one.
        return false;
    }
    mode_t mode = static_cast<mode_t>(access.permissions & 07777);
    if (!ownerKept) {
        mode &= ~static_cast<mode_t>(S_ISUID);
    }
    if (!groupKept) {
        mode &= ~static_cast<mode_t>(S_ISGID);
    }
    return systemCalls().fchmod(descriptor_, mode) == 0;
}

OtherWriters FileHandle::watchForWriters() {
    if (descriptor_ < 0) {
        errno = EBADF;
        return OtherWriters::Unknown;
    }
    return posix::takeReadLease(descriptor_);
}

bool FileHandle::writerArrived() const { return descriptor_ >= 0 && posix::leaseBroken(descriptor_); }

bool FileHandle::close() {
    if (descriptor_ < 0) {
        return true;
    }
    const int descriptor = descriptor_;
    descriptor_ = -1;
    // The descriptor is gone after close even when it reports EINTR, so it
    // is never closed twice.
    return systemCalls().close(descriptor) == 0;
}

}  // namespace ostrel::platform
