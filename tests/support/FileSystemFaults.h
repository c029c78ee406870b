#ifndef HEMWRIGHT_TESTS_SUPPORT_FILESYSTEMFAULTS_H
#define HEMWRIGHT_TESTS_SUPPORT_FILESYSTEMFAULTS_H

#include "util/platform/FileSystem.h"

#include <cstdint>

// Faults of the file system that a test cannot provoke for real on every
// platform, put in front of the file code at the platform seam for the
// lifetime of the object (a FileSystemWrapper installed with
// ScopedFileSystem). A failing operation returns what the seam's contract
// says a failure returns and leaves the code that this platform's system
// reports for such a failure (SystemErrors.h) as the last error. Every
// operation the fault does not concern goes to the file system that was in
// use before. One thread; not copyable.
namespace testing_support {

enum class FileSystemFault {
    None,
    CreateFails,          // creating a file fails: AccessDenied
    DiskFull,             // the disk holds only `room` more bytes: a write
                          // past them writes what fits and fails, DiskFull
    FinishWritingFails,   // finishing a written file reports InputOutput, as
                          // a close may when the data never reached the disk
    ReadFails,            // every read and the reading side of a copy fail:
                          // InputOutput (a failing disk)
    PutInPlaceRefused,    // putting a finished file in place fails: Busy
    RenameAcrossVolumes,  // renaming a whole path fails: CrossDevice, as
                          // from one volume to another
    FlushFails,           // making new files durable fails from the
                          // `room`-th file of a flush on (0: the first):
                          // InputOutput; those before it are flushed
    NamesFlushFails,      // making a directory's names durable fails:
                          // InputOutput
    WritersUnknown,       // the system cannot tell whether another process
                          // writes to a file (no lease: another user's file,
                          // a file system without leases); nothing is
                          // watched, so a writer of this very process never
                          // waits for the watch
};

class FileSystemFaults final : public ostrel::platform::FileSystemWrapper {
public:
    // room: the bytes the disk still takes, for DiskFull.
    explicit FileSystemFaults(FileSystemFault fault, std::uint64_t room = 0);

    ostrel::platform::CreateResult createExclusive(ostrel::platform::FileHandle& file,
                                                   const ostrel::platform::DirectoryHandle* directory,
                                                   const std::string& name, ostrel::platform::NewFileAccess access,
                                                   ostrel::platform::RemovalOnStop* removalOnStop) override;
    ostrel::platform::OpenResult openForAppending(ostrel::platform::FileHandle& file, const std::string& path) override;
    std::int64_t read(ostrel::platform::FileHandle& file, char* buffer, std::size_t size) override;
    bool write(ostrel::platform::FileHandle& file, const char* data, std::size_t size) override;
    ostrel::platform::CopyResult copy(ostrel::platform::FileHandle& source,
                                      ostrel::platform::FileHandle& destination) override;
    bool finishWriting(ostrel::platform::FileHandle& file) override;
    bool putInPlace(ostrel::platform::FileHandle& file, const ostrel::platform::DirectoryHandle& directory,
                    const std::string& temporaryName, const std::string& targetName,
                    ostrel::platform::Placement placement, ostrel::platform::FileHandle* replaced) override;
    bool rename(const std::string& from, const std::string& to) override;
    ostrel::platform::OtherWriters watchForWriters(ostrel::platform::FileHandle& file) override;
    bool makeDurable(ostrel::platform::FileHandle* const* files, std::size_t count,
                     std::vector<const ostrel::platform::DirectoryHandle*>& pendingNames,
                     std::size_t& failed) override;
    bool makeNamesDurable(const ostrel::platform::DirectoryHandle& directory) override;

private:
    FileSystemFault fault_;
    std::uint64_t room_;
    ostrel::platform::ScopedFileSystem installed_;
};

}  // namespace testing_support

#endif
