// The file access queries of the step tool (FileAccessQueries.h).
#include "util/platform/posix/FileAccessQueries.h"

#include "util/PathParts.h"
#include "util/platform/DirectoryHandle.h"
#include "util/platform/posix/FileIdentityKey.h"
#include "util/platform/posix/WriteLease.h"

#include <fcntl.h>
#include <sys/file.h>
#include <linux/fs.h>
#include <sys/sysmacros.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

namespace ostrel::platform {

namespace {

ChangeLock lockOfFlags(bool immutable, bool appendOnly) {
    if (immutable) return ChangeLock::Immutable;
    return appendOnly ? ChangeLock::AppendOnly : ChangeLock::None;
}

// The attribute flags through the older ioctl, for file systems whose statx
// does not report them. Only regular files and directories are opened: a
// device may act on an open.
ChangeLock lockOfOpenedFile(const std::string& path, mode_t type) {
    if (!S_ISREG(type) && !S_ISDIR(type)) return ChangeLock::None;
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return ChangeLock::Unknown;
    int flags = 0;
    const bool asked = ::ioctl(descriptor, FS_IOC_GETFLAGS, &flags) == 0;
    const int error = errno;
    ::close(descriptor);
    if (!asked) {
        // A file system without these flags has no such lock.
        if (error == ENOTTY || error == EINVAL || error == EOPNOTSUPP) return ChangeLock::None;
        errno = error;
        return ChangeLock::Unknown;
    }
    return lockOfFlags((flags & FS_IMMUTABLE_FL) != 0, (flags & FS_APPEND_FL) != 0);
}

std::size_t limitOrUnlimited(long value) {
    return value < 0 ? std::numeric_limits<std::size_t>::max() : static_cast<std::size_t>(value);
}

}  // namespace

std::uint32_t readAccessError(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) == 0 ? 0 : static_cast<std::uint32_t>(errno);
}

std::uint32_t replaceAccessError(const std::string& path) {
    const std::string directory = containingDirectory(path);
    if (::faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        return static_cast<std::uint32_t>(errno);
    }
    struct stat directoryInfo {};
    if (::stat(directory.c_str(), &directoryInfo) != 0) return static_cast<std::uint32_t>(errno);
    if ((directoryInfo.st_mode & S_ISVTX) == 0) return 0;
    struct stat fileInfo {};
    if (::lstat(path.c_str(), &fileInfo) != 0) return static_cast<std::uint32_t>(errno);
    // The superuser stands in for the capability that overrides the sticky
    // bit; a process with only that capability is refused here although the
    // rename would work, which errs on the side of changing nothing.
    const uid_t self = ::geteuid();
    if (self != 0 && self != fileInfo.st_uid && self != directoryInfo.st_uid) return EPERM;
    return 0;
}

bool queryNameLimits(const std::string& directory, NameLimits& limits) {
    // The name limit as the file code asks it when it names a temporary file.
    DirectoryHandle opened;
    std::size_t nameBytes = 0;
    if (!opened.open(directory) || !opened.queryNameLimit(nameBytes)) return false;
    errno = 0;
    const long path = ::pathconf(directory.c_str(), _PC_PATH_MAX);
    if (path < 0 && errno != 0) return false;
    limits.nameBytes = nameBytes;
    // _PC_PATH_MAX counts the terminating NUL.
    limits.pathBytes = path < 0 ? limitOrUnlimited(path) : static_cast<std::size_t>(path) - 1;
    return true;
}

bool queryEntryIdentity(const std::string& path, FileIdentity& identity) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return false;
    identity = posix::identityOf(info);
    return true;
}

OtherWriters otherWritersOf(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return OtherWriters::Unknown;
    // A rewrite in progress holds the file locked exclusively.
    const OtherWriters answer = ::flock(descriptor, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK
                                    ? OtherWriters::Rewriting
                                    : posix::takeReadLease(descriptor);
    const int error = errno;
    // Closing gives the lease up at once, so a writer is held up no longer
    // than the question takes.
    ::close(descriptor);
    errno = error;
    return answer;
}

std::uint32_t directoryWriteError(const std::string& directory) {
    return ::faccessat(AT_FDCWD, directory.c_str(), W_OK | X_OK, AT_EACCESS) == 0 ? 0
                                                                                 : static_cast<std::uint32_t>(errno);
}

ChangeLock queryChangeLock(const std::string& path) {
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &info) != 0) return ChangeLock::Unknown;
    if (S_ISLNK(info.stx_mode)) return ChangeLock::None;
    // statx reports the flags without opening the file (no read permission
    // needed) where the file system fills them in.
    constexpr std::uint64_t kBoth = STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND;
    if ((info.stx_attributes_mask & kBoth) == kBoth) {
        return lockOfFlags((info.stx_attributes & STATX_ATTR_IMMUTABLE) != 0,
                           (info.stx_attributes & STATX_ATTR_APPEND) != 0);
    }
    return lockOfOpenedFile(path, info.stx_mode);
}

bool queryEntryFacts(const std::string& path, EntryFacts& facts) {
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE | STATX_NLINK, &info) != 0) return false;
    facts = EntryFacts();
    facts.symbolicLink = S_ISLNK(info.stx_mode);
    if (!facts.symbolicLink && !S_ISDIR(info.stx_mode) && info.stx_nlink > 1) facts.otherNames = info.stx_nlink - 1;
    if ((info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
        facts.mountPoint = (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
        return true;
    }
    // Older systems: a mount from another file system shows another device
    // than the directory's (a bind mount within one file system goes unseen).
    struct stat directory {};
    if (::stat(containingDirectory(path).c_str(), &directory) != 0) return false;
    facts.mountPoint = makedev(info.stx_dev_major, info.stx_dev_minor) != directory.st_dev;
    return true;
}

}  // namespace ostrel::platform
