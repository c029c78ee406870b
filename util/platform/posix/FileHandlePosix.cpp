// POSIX implementation of FileHandle. Every system call goes through
// posix::systemCalls(), so that tests can make one of them fail.
#include "util/platform/FileHandle.h"

#include "util/platform/posix/HeldStopRequests.h"
#include "util/platform/posix/SystemCalls.h"
#include "util/platform/posix/WriteLease.h"

#include <fcntl.h>
#include <sys/file.h>
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

// Copies up to limit bytes, or to the end of from, from offset on (advanced
// as it goes) to to's position, through a buffer.
CopyResult copyThroughBuffer(int from, off_t& offset, int to, std::uint64_t limit) {
    const std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    while (limit > 0) {
        const std::size_t wanted = limit < kBufferSize ? static_cast<std::size_t>(limit) : kBufferSize;
        const ssize_t count = systemCalls().readAt(from, buffer.get(), wanted, offset);
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
        offset += count;
        limit -= static_cast<std::uint64_t>(count);
    }
    return CopyResult::Copied;
}

// Copies up to limit bytes, or to the end of from, from offset on (advanced
// as it goes) to to's position: in the kernel, and through the buffer from
// where the kernel copy stopped when the file systems refuse it (EXDEV,
// EINVAL, ENOSYS, EOPNOTSUPP), when the source reports no content to it
// though it may have some, and on real failures, which read or write then
// report on the side they belong to.
CopyResult copyRange(int from, off_t& offset, int to, std::uint64_t limit) {
    bool copiedAnything = false;
    while (limit > 0) {
        const std::size_t wanted = limit < kKernelCopyChunk ? static_cast<std::size_t>(limit) : kKernelCopyChunk;
        const ssize_t count = systemCalls().copyFileRange(from, &offset, to, wanted);
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
        return copyThroughBuffer(from, offset, to, limit);
    }
    return CopyResult::Copied;
}

bool seekTo(int descriptor, off_t offset) { return systemCalls().seek(descriptor, offset, SEEK_SET) == offset; }

// Copies the data ranges of from, from start on, to the same relative places
// of to, and leaves to positioned and sized as if every byte had been
// written. size is what from held when it was opened: a first hole at or
// past it means there is none, and the file's size bytes are copied in one
// go; a sparse file is copied to its end.
CopyResult copyKeepingHoles(int from, off_t start, off_t size, int to) {
    const off_t firstHole = systemCalls().seek(from, start, SEEK_HOLE);
    off_t offset = start;
    if (firstHole >= size) {
        // No hole: the bytes the file had when it was opened, without a call
        // to find its end (a file that grew meanwhile has changed, which the
        // caller checks).
        return start < size ? copyRange(from, offset, to, static_cast<std::uint64_t>(size - start))
                            : CopyResult::Copied;
    }
    if (firstHole < 0) {
        // A file system that cannot tell data from holes, or a start past
        // the end: whatever there is, to the end.
        return copyRange(from, offset, to, kToTheEnd);
    }
    const off_t base = systemCalls().seek(to, 0, SEEK_CUR);
    if (base < 0) {
        return CopyResult::WriteFailed;
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
        if (hole < data) {
            break;
        }
        if (!seekTo(to, base + (data - start))) {
            return CopyResult::WriteFailed;
        }
        off_t offset = data;
        const CopyResult result = copyRange(from, offset, to, static_cast<std::uint64_t>(hole - data));
        if (result != CopyResult::Copied) {
            return result;
        }
        position = hole;
    }
    // The rest from position on: normally nothing, but it carries what was
    // appended meanwhile.
    if (!seekTo(to, base + (position - start))) {
        return CopyResult::WriteFailed;
    }
    const CopyResult result = copyRange(from, position, to, kToTheEnd);
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

FileHandle::FileHandle(FileHandle&& other) noexcept
    : descriptor_(other.descriptor_),
      readPosition_(other.readPosition_),
      watchingWriters_(other.watchingWriters_),
      opened_(other.opened_) {
    other.descriptor_ = -1;
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) {
            systemCalls().close(descriptor_);
        }
        descriptor_ = other.descriptor_;
        readPosition_ = other.readPosition_;
        watchingWriters_ = other.watchingWriters_;
        opened_ = other.opened_;
        other.descriptor_ = -1;
    }
    return *this;
}

OpenResult FileHandle::openForReadingAt(int directory, const char* name, FileAccess& access, FileExtent& extent) {
    close();
    // O_NONBLOCK keeps the open of a FIFO without a writer from waiting; the
    // type check below then turns it away before anything is read. On a
    // regular file the flag changes nothing, so it stays set.
    const int descriptor =
        systemCalls().openAt(directory, name, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0);
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
    descriptor_ = descriptor;
    readPosition_ = 0;
    watchingWriters_ = false;
    opened_.device = static_cast<std::uint64_t>(info.st_dev);
    opened_.inode = static_cast<std::uint64_t>(info.st_ino);
    opened_.size = static_cast<std::int64_t>(info.st_size);
    opened_.changeSeconds = static_cast<std::int64_t>(info.st_ctim.tv_sec);
    opened_.changeNanoseconds = static_cast<std::int64_t>(info.st_ctim.tv_nsec);
    return OpenResult::Opened;
}

OpenResult FileHandle::openForReading(const DirectoryHandle& directory, const std::string& name,
                                      FileAccess& access, FileExtent& extent) {
    return openForReadingAt(directory.nativeHandle(), name.c_str(), access, extent);
}

OpenResult FileHandle::openForReading(const std::string& path, FileAccess& access, FileExtent& extent) {
    return openForReadingAt(AT_FDCWD, path.c_str(), access, extent);
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

namespace {

CreateResult createExclusiveAt(int directory, const char* name, NewFileAccess access, int& descriptor) {
    const mode_t mode = access == NewFileAccess::Private ? 0600 : 0666;
    descriptor = systemCalls().openAt(directory, name, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
    if (descriptor < 0) {
        return errno == EEXIST         ? CreateResult::AlreadyExists
               : errno == ENAMETOOLONG ? CreateResult::NameTooLong
                                       : CreateResult::Failed;
    }
    return CreateResult::Created;
}

}  // namespace

CreateResult FileHandle::createExclusive(const DirectoryHandle& directory, const std::string& name,
                                         NewFileAccess access, RemovalOnStop* removalOnStop) {
    close();
    if (removalOnStop == nullptr) {
        return createExclusiveAt(directory.nativeHandle(), name.c_str(), access, descriptor_);
    }
    // No stop may fall between the creation and the registration that lets
    // a stop remove the file.
    const posix::HeldStopRequests held;
    const CreateResult result = createExclusiveAt(directory.nativeHandle(), name.c_str(), access, descriptor_);
    if (result == CreateResult::Created) {
        removalOnStop->registerEntry(directory, name);
    }
    return result;
}

CreateResult FileHandle::createExclusive(const std::string& path, NewFileAccess access) {
    close();
    return createExclusiveAt(AT_FDCWD, path.c_str(), access, descriptor_);
}

OpenResult FileHandle::openForAppending(const std::string& path) {
    close();
    const int descriptor =
        systemCalls().openAt(AT_FDCWD, path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
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
        const ssize_t count = systemCalls().readAt(descriptor_, buffer, size, static_cast<off_t>(readPosition_));
        if (count >= 0) {
            readPosition_ += static_cast<std::uint64_t>(count);
            return static_cast<std::int64_t>(count);
        }
        if (errno != EINTR) {
            return -1;
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
    return copyKeepingHoles(source.descriptor_, static_cast<off_t>(source.readPosition_),
                            static_cast<off_t>(source.opened_.size), descriptor_);
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
    // Another rewrite of the same file holds the file locked from its open to
    // its rename, so two rewrites can never both pass their last check and
    // rename one after the other, the second undoing the first. The lock is
    // given up with the descriptor.
    if (::flock(descriptor_, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
        return OtherWriters::Rewriting;
    }
    const OtherWriters answer = posix::takeReadLease(descriptor_);
    watchingWriters_ = answer == OtherWriters::None;
    return answer;
}

bool FileHandle::writerArrived() const { return watchingWriters_ && posix::leaseBroken(descriptor_); }

bool FileHandle::isUnchangedAt(const DirectoryHandle& directory, const std::string& name) const {
    // The entry's status is the file's own when it still names the file.
    struct stat entry {};
    if (descriptor_ < 0 || systemCalls().statAt(directory.nativeHandle(), name.c_str(), &entry, 0) != 0) {
        return false;
    }
    return static_cast<std::uint64_t>(entry.st_dev) == opened_.device &&
           static_cast<std::uint64_t>(entry.st_ino) == opened_.inode &&
           static_cast<std::int64_t>(entry.st_size) == opened_.size &&
           static_cast<std::int64_t>(entry.st_ctim.tv_sec) == opened_.changeSeconds &&
           static_cast<std::int64_t>(entry.st_ctim.tv_nsec) == opened_.changeNanoseconds;
}

bool FileHandle::close() {
    if (descriptor_ < 0) {
        return true;
    }
    const int descriptor = descriptor_;
    descriptor_ = -1;
    watchingWriters_ = false;
    // The descriptor is gone after close even when it reports EINTR, so it
    // is never closed twice.
    return systemCalls().close(descriptor) == 0;
}

}  // namespace ostrel::platform
