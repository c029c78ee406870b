#ifndef OSTREL_PLATFORM_POSIX_SYSTEMCALLS_H
#define OSTREL_PLATFORM_POSIX_SYSTEMCALLS_H

#include <sys/stat.h>
#include <sys/types.h>

#include <cstddef>

// The system calls behind the POSIX file code, gathered in one object so that
// a test can stand in front of them and fail one on purpose: a close that
// reports EIO, a kernel copy that claims there is nothing to copy, a write
// interrupted by a signal. The base class makes the real calls; a test
// derives from it, overrides the call it wants to fail and forwards the rest
// to the base (the way leveldb's EnvWrapper is used). Production code never
// installs anything else.
//
// Every call returns what the system call returns and leaves errno as it
// does. Not thread-safe: install a replacement only while one thread uses
// the file code.
namespace ostrel::platform::posix {

class SystemCalls {
public:
    SystemCalls() = default;
    virtual ~SystemCalls() = default;
    SystemCalls(const SystemCalls&) = delete;
    SystemCalls& operator=(const SystemCalls&) = delete;

    // openat, fstatat, renameat and unlinkat: names relative to a directory
    // descriptor (AT_FDCWD: the working directory).
    virtual int openAt(int directory, const char* name, int flags, mode_t mode);
    virtual int statAt(int directory, const char* name, struct stat* info, int flags);
    virtual int renameAt(int fromDirectory, const char* from, int toDirectory, const char* to);
    virtual int unlinkAt(int directory, const char* name);
    virtual int close(int descriptor);
    virtual int fstat(int descriptor, struct stat* info);
    // pread: from offset, leaving the descriptor's position alone.
    virtual ssize_t readAt(int descriptor, void* buffer, std::size_t size, off_t offset);
    virtual ssize_t write(int descriptor, const void* data, std::size_t size);
    // copy_file_range from *fromOffset (advanced by the count copied) to the
    // destination's own position.
    virtual ssize_t copyFileRange(int from, off_t* fromOffset, int to, std::size_t size);
    virtual off_t seek(int descriptor, off_t offset, int whence);
    virtual int truncate(int descriptor, off_t length);
    virtual int fchown(int descriptor, uid_t owner, gid_t group);
    virtual int fchmod(int descriptor, mode_t mode);
    virtual ssize_t listAttributes(int descriptor, char* names, std::size_t size);
    virtual ssize_t getAttribute(int descriptor, const char* name, void* value, std::size_t size);
    virtual int setAttribute(int descriptor, const char* name, const void* value, std::size_t size);
    virtual int removeAttribute(int descriptor, const char* name);
    // fsync and syncfs: a file's data and metadata, or every change of the
    // file system a descriptor lies on, on stable storage.
    virtual int sync(int descriptor);
    virtual int syncFileSystem(int descriptor);
    // getrlimit(RLIMIT_NOFILE)'s soft limit; -1 when it cannot be read.
    virtual long openFileLimit();
};

// The calls the file code makes: the real ones unless a test installed others.
SystemCalls& systemCalls();

// Puts calls in front of the file code for the lifetime of this object and
// restores the previous ones afterwards. For tests.
class ScopedSystemCalls {
public:
    explicit ScopedSystemCalls(SystemCalls& calls);
    ~ScopedSystemCalls();
    ScopedSystemCalls(const ScopedSystemCalls&) = delete;
    ScopedSystemCalls& operator=(const ScopedSystemCalls&) = delete;

private:
    SystemCalls* previous_;
};

}  // namespace ostrel::platform::posix

#endif
