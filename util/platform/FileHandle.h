#ifndef OSTREL_PLATFORM_FILEHANDLE_H
#define OSTREL_PLATFORM_FILEHANDLE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "util/platform/DirectoryHandle.h"
#include "util/platform/OtherWriters.h"
#include "util/platform/Signals.h"

// Low-level file I/O for streaming one file into another without holding it
// in memory, and for giving the new file everything the old one had that
// says who may use it: an open file of the system, owned by one FileHandle.
// Part of the platform seam; the implementation file of each platform
// provides it.
//
// Functions that can fail return a result and leave the system's error code
// in platform::lastErrorCode(); they never throw. Not thread-safe: one handle
// belongs to one thread at a time.
namespace ostrel::platform {

// What a replacement of a file must carry over besides its bytes: who may use
// it (permission bits including set-id and sticky bits, owning user and
// group, the access control list) and the user's own extended attributes.
// Attributes of other namespaces (file capabilities, security labels) are
// not carried: a new file does not inherit them.
struct FileAccess {
    std::uint32_t permissions = 0;
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    // The access ACL in the system's own encoding; empty when the file has
    // none (its permission bits alone then say who may use it).
    std::string accessControlList;
    // (name, value) of each user extended attribute, in the system's order.
    std::vector<std::pair<std::string, std::string>> userAttributes;
};

// Size and allocation of an opened file.
struct FileExtent {
    std::uint64_t size = 0;

};

enum class OpenResult {
    Opened,
    NotFound,        // the path or one of its directories does not exist
    NotRegularFile,  // a directory, FIFO, device or socket; nothing was read
    Failed,          // any other failure, code in lastErrorCode()
};

enum class CreateResult {
    Created,
    AlreadyExists,  // something exists under the name; it was not touched
    NameTooLong,    // the file system refuses a name (or path) that long
    Failed,         // any other failure, code in lastErrorCode()
};

enum class CopyResult { Copied, ReadFailed, WriteFailed };

// Who may use a file while it is created.
enum class NewFileAccess {
    Private,  // readable and writable by its owner only
    Fresh,    // what any new file gets here (0666 less the umask, or the
              // directory's default ACL)
};

class FileHandle {
public:
    FileHandle() = default;
    // Closes the file if still open; a close failure here goes unnoticed, so
    // callers that wrote call close() themselves.
    ~FileHandle();
    FileHandle(FileHandle&& other) noexcept;
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    // Opens the entry name of directory for reading, positioned at its
    // start, only if it is a regular file (a symbolic link is followed).
    // Never blocks on a FIFO or a device. On Opened, access holds the file's
    // permission bits, owner and group (not yet its attributes:
    // readAttributes) and extent its size.
    OpenResult openForReading(const DirectoryHandle& directory, const std::string& name, FileAccess& access,
                              FileExtent& extent);
    // The same for a path, looked up as a whole.
    OpenResult openForReading(const std::string& path, FileAccess& access, FileExtent& extent);

    // Adds the access ACL and the user extended attributes of this open file
    // to access. A file system without extended attributes has none. Returns
    // false on any other failure.
    bool readAttributes(FileAccess& access);

    // Creates the entry name of directory as a new, empty file, failing with
    // AlreadyExists instead of opening an existing file (a symbolic link
    // included). With removalOnStop, the file is registered there from the
    // moment it exists: no stop of the process can fall between its creation
    // and its registration.
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

    // Gives the file the owner and group of access where the process may set
    // them, then the user attributes, exactly the access ACL of access (none
    // when it has none, even if the directory gave the new file one), and its
    // permission bits. A set-user-id or set-group-id bit is kept only where
    // the owner respectively the group could be kept: a file that now belongs
    // to the process's user does not become a set-id program of that user.
    // Returns false on a failure other than the missing privilege to give the
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

    bool isOpen() const { return descriptor_ >= 0; }

private:
    OpenResult openForReadingAt(int directory, const char* name, FileAccess& access, FileExtent& extent);

    int descriptor_ = -1;
    // Of a file opened for reading: where readSome and the copy go on, and
    // what it was when opened, for isUnchangedAt.
    std::uint64_t readPosition_ = 0;
    bool watchingWriters_ = false;
    struct OpenedState {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t changeSeconds = 0;
        std::int64_t changeNanoseconds = 0;
    } opened_;
};

}  // namespace ostrel::platform

#endif
