#ifndef OSTREL_PLATFORM_FILEHANDLE_H
#define OSTREL_PLATFORM_FILEHANDLE_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "util/platform/DirectoryHandle.h"
#include "util/platform/FileIdentity.h"
#include "util/platform/OtherWriters.h"

// Low-level file I/O for streaming one file into another without holding it
// in memory, and for giving the new file everything the old one had that
// says who may use it: an open file of the system, owned by one FileHandle.
// Part of the platform seam: every operation goes to fileSystem()
// (FileSystem.h), the platform's file system unless a test put another in
// front of it.
//
// Functions that can fail return a result and leave the system's error code
// in platform::lastErrorCode(); they never throw. Not thread-safe: one handle
// belongs to one thread at a time.
namespace ostrel::platform {

class RemovalOnStop;

// The platform's own records, defined by each platform's implementation.
struct FileState;
struct FileAccessData;
struct FileStateDeleter {
    void operator()(FileState* state) const noexcept;
};
struct FileAccessDataDeleter {
    void operator()(FileAccessData* data) const noexcept;
};

// Who may use a file, as its platform keeps it (on POSIX systems the
// permission bits, owner, group, access ACL and user extended attributes; on
// Windows its security descriptor and attributes): read from one file when it
// is opened for reading, applied to the file that replaces it. Opaque here.
class FileAccess {
public:
    FileAccess();
    ~FileAccess();
    FileAccess(FileAccess&&) noexcept;
    FileAccess& operator=(FileAccess&&) noexcept;
    FileAccess(const FileAccess&) = delete;
    FileAccess& operator=(const FileAccess&) = delete;

    // False when the platform says the file must not be replaced (a
    // read-only file on Windows); always true on POSIX systems, where the
    // directory alone decides.
    bool mayBeReplaced() const;

    // For the platform's implementation only.
    FileAccessData& data() const { return *data_; }

private:
    std::unique_ptr<FileAccessData, FileAccessDataDeleter> data_;
};

// Size and identity of an opened file.
struct FileExtent {
    std::uint64_t size = 0;
    FileIdentity identity;
};

enum class OpenResult {
    Opened,
    NotFound,        // the path or one of its directories does not exist
    NotRegularFile,  // a directory, FIFO, device or socket; nothing was read
    ReadOnly,        // (FileReplacement only) marked as a file not to be
                     // replaced: FileAccess::mayBeReplaced() is false
    Failed,          // any other failure, code in lastErrorCode()
};

enum class CreateResult {
    Created,
    AlreadyExists,  // something exists under the name; it was not touched
    NameTooLong,    // the file system refuses a name (or path) that long
    Failed,         // any other failure, code in lastErrorCode()
};

enum class CopyResult { Copied, ReadFailed, WriteFailed };

// What opening a name that is a symbolic link does: open the file it points
// to, or refuse it as NotRegularFile (with the system's code).
enum class Links { Follow, Refuse };

// Who may use a file while it is created.
enum class NewFileAccess {
    Private,  // readable and writable by its owner only
    Fresh,    // what any new file gets here (on POSIX 0666 less the umask,
              // or the directory's default ACL)
};

class FileHandle {
public:
    FileHandle();
    // Closes the file if still open; a close failure here goes unnoticed, so
    // callers that wrote call close() themselves.
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Opens the entry name of directory for reading, positioned at its
    // start, only if it is a regular file (a symbolic link is followed).
    // Never blocks on a FIFO or a device. On Opened, access holds who may use
    // the file and extent its size. A file the platform marks as one that
    // must not be replaced (a read-only file on Windows) opens all the same;
    // access.mayBeReplaced() tells.
    OpenResult openForReading(const DirectoryHandle& directory, const std::string& name, FileAccess& access,
                              FileExtent& extent, Links links = Links::Follow);
    // The same for a path, looked up as a whole.
    OpenResult openForReading(const std::string& path, FileAccess& access, FileExtent& extent);

    // Creates the entry name of directory as a new, empty file, failing with
    // AlreadyExists instead of opening an existing file (a symbolic link
    // included). With removalOnStop, the file is registered there from the
    // moment it exists: no stop of the process can fall between its creation
    // and its registration. A file created for putInPlace (TemporaryFile)
    // may be one the platform removes by itself if the process dies.
    CreateResult createExclusive(const DirectoryHandle& directory, const std::string& name, NewFileAccess access,
                                 RemovalOnStop* removalOnStop = nullptr);
    // The same for a path, looked up as a whole, without registration.
    CreateResult createExclusive(const std::string& path, NewFileAccess access = NewFileAccess::Private);

    // Opens path for writing at its end, creating it (Fresh) when missing,
    // only if it is a regular file. Never blocks on a FIFO.
    OpenResult openForAppending(const std::string& path);

    // Reads up to size bytes at the read position into buffer and advances
    // it. Returns the number read, 0 at the end of the file, or -1 on a
    // failure (an interrupted call is retried, never reported).
    std::int64_t readSome(char* buffer, std::size_t size);

    // Writes all size bytes at the current position, retrying interrupted and
    // partial writes. Returns false on a failure (a full disk, a file size
    // limit); part may have been written.
    bool writeAll(const char* data, std::size_t size);
    bool writeAll(const std::string& bytes) { return writeAll(bytes.data(), bytes.size()); }

    // Copies source from its read position to its end to this file's
    // current position, in the kernel where the file systems allow it and
    // through a fixed-size buffer otherwise. Ranges that the source holds as
    // holes are skipped, so they stay holes here (a file without holes costs
    // one question more); the bytes read back are the same either way. A
    // file without holes is copied up to the size it had when it was opened:
    // what was appended since is not (isUnchangedAt tells). Afterwards this
    // file is positioned after the copied content.
    CopyResult copyRemainderFrom(FileHandle& source);

    // Gives the file who may use it as access says, as far as the process
    // may: on POSIX systems the owner and group where the process may set
    // them, then the user attributes, exactly the access ACL of access (none
    // when it has none, even if the directory gave the new file one), and
    // the permission bits, a set-user-id or set-group-id bit only where the
    // owner respectively the group could be kept (a file that now belongs to
    // the process's user does not become a set-id program of that user).
    // Returns false on a failure other than a missing privilege to give the
    // file away.
    bool applyAccess(const FileAccess& access);

    // For a file opened for reading, before it is rewritten: claims it
    // against other rewrites until close() (Rewriting when another process
    // holds that claim), and tells whether another process has it open for
    // writing now. When None, from now on until close() a writer that opens
    // it waits (up to the system's limit) while writerArrived() says so.
    // Unknown (code in lastErrorCode()) where the system cannot tell.
    OtherWriters watchForWriters();

    // After watchForWriters() returned None: whether a process has since
    // asked to open the file for writing.
    bool writerArrived() const;

    // For a file opened for reading: whether the entry name of directory
    // still names this very file, with the size and the change time it had
    // when it was opened (nothing wrote to it, changed who may use it or
    // renamed another file into its place). False also when the entry cannot
    // be looked at (code in lastErrorCode()).
    bool isUnchangedAt(const DirectoryHandle& directory, const std::string& name) const;

    // Closes the file and reports whether everything written reached the
    // system. The handle is closed afterwards even on failure.
    bool close();

    bool isOpen() const { return state_ != nullptr; }

    // For the platform's implementation only: its record of the open file.
    FileState* state() const { return state_.get(); }
    void adopt(std::unique_ptr<FileState, FileStateDeleter> state) { state_ = std::move(state); }
    std::unique_ptr<FileState, FileStateDeleter> release() { return std::move(state_); }

private:
    std::unique_ptr<FileState, FileStateDeleter> state_;
};

}  // namespace ostrel::platform

#endif
