// POSIX implementation of the file access queries of the platform seam.
#include "util/platform/FileAccessQueries.h"

#include "util/platform/posix/WriteLease.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

namespace ostrel::platform {

namespace {

std::string parentDirectoryOf(const std::string& path) {
    const std::string::size_type slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::size_t limitOrUnlimited(long value) {
    return value < 0 ? std::numeric_limits<std::size_t>::max() : static_cast<std::size_t>(value);
}

}  // namespace

std::uint32_t readAccessError(const std::string& path) {
    return ::faccessat(AT_FDCWD, path.c_str(), R_OK, AT_EACCESS) == 0 ? 0 : static_cast<std::uint32_t>(errno);
}

std::uint32_t replaceAccessError(const std::string& path) {
    const std::string directory = parentDirectoryOf(path);
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
    errno = 0;
    const long name = ::pathconf(directory.c_str(), _PC_NAME_MAX);
    if (name < 0 && errno != 0) return false;
    const long path = ::pathconf(directory.c_str(), _PC_PATH_MAX);
    if (path < 0 && errno != 0) return false;
    limits.nameBytes = limitOrUnlimited(name);
    // _PC_PATH_MAX counts the terminating NUL.
    limits.pathBytes = path < 0 ? limitOrUnlimited(path) : static_cast<std::size_t>(path) - 1;
    return true;
}

bool queryEntryIdentity(const std::string& path, FileIdentity& identity) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return false;
    identity.device = static_cast<std::uint64_t>(info.st_dev);
    identity.inode = static_cast<std::uint64_t>(info.st_ino);
    return true;
}

OtherWriters otherWritersOf(const std::string& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return OtherWriters::Unknown;
    const OtherWriters answer = posix::takeReadLease(descriptor);
    const int error = errno;
    // Closing gives the lease up at once, so a writer is held up no longer
    // than the question takes.
    ::close(descriptor);
    errno = error;
    return answer;
}

}  // namespace ostrel::platform
