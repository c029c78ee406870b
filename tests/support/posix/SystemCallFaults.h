#ifndef HEMWRIGHT_TESTS_SUPPORT_POSIX_SYSTEMCALLFAULTS_H
#define HEMWRIGHT_TESTS_SUPPORT_POSIX_SYSTEMCALLFAULTS_H

#include "util/platform/posix/SystemCalls.h"

#include <set>

// Faults of the system that cannot be provoked for real from a test, put in
// front of the POSIX file system's own system calls for the lifetime of the
// object, for tests of what that implementation does about them (retries,
// fallbacks, the owner it may not keep). Faults of the file code above the
// seam go through FileSystemFaults, which serves every platform. Every call
// that the fault does not concern goes to the real system.
namespace testing_support {

enum class SystemFault {
    None,
    CreateFails,               // creating a new file fails with EACCES
    CloseOfWrittenFileFails,   // close of a file opened for writing reports EIO
    KernelCopyRefused,         // copy_file_range fails with EXDEV (another file system)
    KernelCopyFindsNothing,    // its first call copies 0 bytes, as for a file it cannot see into
    WriteInterruptedOnce,      // the first write fails with EINTR
    ReadFails,                 // every read and kernel copy fails with EIO (a failing disk)
    OwnerChangeRefused,        // fchown fails with EPERM (no privilege to give files away)
    ShortWrites,               // the kernel copy is refused and every write takes at most 1000 bytes
    RenameRefused,             // renameat fails with EBUSY (a mount point)
    FlushUnsupported,          // fsync and syncfs fail with EINVAL (nothing to flush there)
    FileSystemFlushFails,      // syncfs fails with EIO (another file's write-back error)
    DirectoryUnreadable,       // a directory cannot be opened for reading (EACCES): search only
    PrivilegedAttributesRefused,  // setting a trusted.* or security.* attribute fails with EPERM
};

class SystemCallFaults : public ostrel::platform::posix::SystemCalls {
public:
    explicit SystemCallFaults(SystemFault fault) : fault_(fault), installed_(*this) {}

    int openAt(int directory, const char* name, int flags, mode_t mode) override;
    int renameAt(int fromDirectory, const char* from, int toDirectory, const char* to) override;
    int close(int descriptor) override;
    ssize_t readAt(int descriptor, void* buffer, std::size_t size, off_t offset) override;
    ssize_t write(int descriptor, const void* data, std::size_t size) override;
    ssize_t copyFileRange(int from, off_t* fromOffset, int to, std::size_t size) override;
    int fchown(int descriptor, uid_t owner, gid_t group) override;
    int sync(int descriptor) override;
    int syncFileSystem(int descriptor) override;

    // How many syncfs calls were made (failed ones included).
    int fileSystemSyncs() const { return fileSystemSyncs_; }
    int setAttribute(int descriptor, const char* name, const void* value, std::size_t size) override;

private:
    SystemFault fault_;
    bool struck_ = false;
    int fileSystemSyncs_ = 0;
    std::set<int> written_;
    ostrel::platform::posix::ScopedSystemCalls installed_;
};

}  // namespace testing_support

#endif
