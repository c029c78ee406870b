#ifndef OSTREL_PLATFORM_FILESYSTEM_H
#define OSTREL_PLATFORM_FILESYSTEM_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "util/platform/DirectoryHandle.h"
#include "util/platform/FileHandle.h"
#include "util/platform/FileIdentity.h"
#include "util/platform/OtherWriters.h"

// Every file-system operation the program performs, in the program's own
// terms: the one interface between the program's file code and the
// platform's file system. Each platform's implementation folder provides the
// real one (realFileSystem); FileHandle, DirectoryHandle and the file
// operations of the utility library reach it through fileSystem().
//
// Abstract so that tests can stand in front of it: FileSystemWrapper forwards
// every call to another file system, and a test derives from it, overrides
// the operation it wants to fail (a full disk, a rename that is refused, a
// file that vanished) and installs it with ScopedFileSystem. The same
// fault tests then run on every platform. (The way leveldb's EnvWrapper is
// used.)
//
// The operations are those of FileHandle and DirectoryHandle (see there for
// their contracts) and the few that work on whole paths. Failures return a
// result and leave the system's error code in lastErrorCode(); nothing
// throws. Not thread-safe: install a replacement only while one thread uses
// the file code.
namespace ostrel::platform {

class RemovalOnStop;

enum class StatusResult { Found, NotFound, Failed };

struct FileStatus {
    bool isDirectory = false;
    bool isRegularFile = false;
    std::uint64_t size = 0;
    FileIdentity identity;
};

// How a finished temporary file takes the place of its target.
enum class Placement {
    // The temporary file replaces the file it was made from and already
    // carries what that file had (FileHandle::applyAccess); where the
    // platform's own replacement keeps more (named streams on Windows), it
    // is used.
    Replacement,
    // The file takes the name as it is, with what it was created with or
    // given (a new output.xml, a file moved here from another volume).
    NewFile,
};

class FileSystem {
public:
    FileSystem() = default;
    virtual ~FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;

    // --- Directories
    virtual bool openDirectory(DirectoryHandle& directory, const std::string& path) = 0;
    virtual bool queryNameLimit(const DirectoryHandle& directory, std::size_t& nameBytes) = 0;

    // --- Open files. A null directory means name is a whole path.
    virtual OpenResult openForReading(FileHandle& file, const DirectoryHandle* directory, const std::string& name,
                                      FileAccess& access, FileExtent& extent, Links links) = 0;
    virtual CreateResult createExclusive(FileHandle& file, const DirectoryHandle* directory, const std::string& name,
                                         NewFileAccess access, RemovalOnStop* removalOnStop) = 0;
    virtual OpenResult openForAppending(FileHandle& file, const std::string& path) = 0;
    virtual std::int64_t read(FileHandle& file, char* buffer, std::size_t size) = 0;
    virtual bool write(FileHandle& file, const char* data, std::size_t size) = 0;
    virtual CopyResult copy(FileHandle& source, FileHandle& destination) = 0;
    virtual bool applyAccess(FileHandle& file, const FileAccess& access) = 0;
    virtual OtherWriters watchForWriters(FileHandle& file) = 0;
    virtual bool writerArrived(const FileHandle& file) = 0;
    virtual bool isUnchangedAt(const FileHandle& file, const DirectoryHandle& directory, const std::string& name) = 0;
    virtual bool close(FileHandle& file) = 0;

    // --- Temporary files (TemporaryFile): created with createExclusive in
    // directory under temporaryName, written, then finished and put in
    // place, or discarded.

    // Makes sure everything written reached the system; false when it did
    // not (a full disk that shows only now). The file may stay open for
    // putInPlace or discard.
    virtual bool finishWriting(FileHandle& file) = 0;
    // Puts the finished file in the place of targetName in the same
    // directory, in one step (the name holds the old file or the new one at
    // every moment; a symbolic link of that name is replaced, not followed),
    // and closes it. replaced, when given, is the file it replaces, open for
    // reading since it was copied; it is closed too, after the rename where
    // the platform allows (so that it stays claimed against other rewrites
    // to the last moment), before it where an open file cannot be renamed
    // over.
    virtual bool putInPlace(FileHandle& file, const DirectoryHandle& directory, const std::string& temporaryName,
                            const std::string& targetName, Placement placement, FileHandle* replaced) = 0;
    // Closes the file and removes it; a file already gone counts as removed.
    virtual bool discard(FileHandle& file, const DirectoryHandle& directory, const std::string& temporaryName) = 0;

    // --- Durability: what stays after a power cut. A file system that has
    // no way to flush (a pipe-like or special file system) counts as flushed.

    // Makes what was written to files (temporary files, finished, not yet in
    // place), their content and who may use them, durable: on stable storage
    // when this returns true. On false, failed is the index of the first file
    // that is not known to be durable (code in lastErrorCode()); those before
    // it are durable. Where the platform does this by flushing whole file
    // systems, the directories of pendingNames on those file systems have
    // their names made durable with them and are removed from the list.
    virtual bool makeDurable(FileHandle* const* files, std::size_t count,
                             std::vector<const DirectoryHandle*>& pendingNames, std::size_t& failed) = 0;
    // Makes the entries of directory durable: every file put in place there
    // keeps its name after a power cut.
    virtual bool makeNamesDurable(const DirectoryHandle& directory) = 0;
    // How many files may be open at once in this process, beyond those it
    // has open already; the largest size_t where the system sets no limit
    // that matters.
    virtual std::size_t openFileRoom() = 0;

    // --- Whole paths
    // The status of path, following symbolic links. NotFound: the path or
    // one of its directories does not exist.
    virtual StatusResult queryStatus(const std::string& path, FileStatus& status) = 0;
    // Renames from to to, replacing the entry to in one step.
    virtual bool rename(const std::string& from, const std::string& to) = 0;
    // Removes the entry path (not a directory); a missing entry is a failure.
    virtual bool removeFile(const std::string& path) = 0;
    // Removes the directory path with everything below it.
    virtual bool removeTree(const std::string& path) = 0;
};

// The platform's own file system, for this process.
FileSystem& realFileSystem();

// The file system the program's file code uses: realFileSystem() unless a
// test installed another with ScopedFileSystem.
FileSystem& fileSystem();

// Forwards every operation to target; derive to change some.
class FileSystemWrapper : public FileSystem {
public:
    explicit FileSystemWrapper(FileSystem& target) : target_(target) {}

    bool openDirectory(DirectoryHandle& directory, const std::string& path) override;
    bool queryNameLimit(const DirectoryHandle& directory, std::size_t& nameBytes) override;
    OpenResult openForReading(FileHandle& file, const DirectoryHandle* directory, const std::string& name,
                              FileAccess& access, FileExtent& extent, Links links) override;
    CreateResult createExclusive(FileHandle& file, const DirectoryHandle* directory, const std::string& name,
                                 NewFileAccess access, RemovalOnStop* removalOnStop) override;
    OpenResult openForAppending(FileHandle& file, const std::string& path) override;
    std::int64_t read(FileHandle& file, char* buffer, std::size_t size) override;
    bool write(FileHandle& file, const char* data, std::size_t size) override;
    CopyResult copy(FileHandle& source, FileHandle& destination) override;
    bool applyAccess(FileHandle& file, const FileAccess& access) override;
    OtherWriters watchForWriters(FileHandle& file) override;
    bool writerArrived(const FileHandle& file) override;
    bool isUnchangedAt(const FileHandle& file, const DirectoryHandle& directory, const std::string& name) override;
    bool close(FileHandle& file) override;
    bool finishWriting(FileHandle& file) override;
    bool putInPlace(FileHandle& file, const DirectoryHandle& directory, const std::string& temporaryName,
                    const std::string& targetName, Placement placement, FileHandle* replaced) override;
    bool discard(FileHandle& file, const DirectoryHandle& directory, const std::string& temporaryName) override;
    bool makeDurable(FileHandle* const* files, std::size_t count, std::vector<const DirectoryHandle*>& pendingNames,
                     std::size_t& failed) override;
    bool makeNamesDurable(const DirectoryHandle& directory) override;
    std::size_t openFileRoom() override;
    StatusResult queryStatus(const std::string& path, FileStatus& status) override;
    bool rename(const std::string& from, const std::string& to) override;
    bool removeFile(const std::string& path) override;
    bool removeTree(const std::string& path) override;

protected:
    FileSystem& target() { return target_; }

private:
    FileSystem& target_;
};

// Puts fileSystem in front of the file code for the lifetime of this object
// and restores the previous one afterwards. For tests.
class ScopedFileSystem {
public:
    explicit ScopedFileSystem(FileSystem& fileSystem);
    ~ScopedFileSystem();
    ScopedFileSystem(const ScopedFileSystem&) = delete;
    ScopedFileSystem& operator=(const ScopedFileSystem&) = delete;

private:
    FileSystem* previous_;
};

}  // namespace ostrel::platform

#endif
