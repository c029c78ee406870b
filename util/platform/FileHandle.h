#ifndef OSTREL_PLATFORM_FILEHANDLE_H
#define OSTREL_PLATFORM_FILEHANDLE_H

#include <cstddef>
#include <cstdint>
#include <string>

// Low-level file I/O for streaming one file into another without holding it
// in memory: an open file of the system, owned by one FileHandle. Part of the
// platform seam; the implementation file of each platform provides it.
//
// Functions that can fail return a result and leave the system's error code
// in platform::lastErrorCode(); they never throw. Not thread-safe: one handle
// belongs to one thread at a time.
namespace ostrel::platform {

// Who may use a file: permission bits (including set-id and sticky bits),
// owning user and owning group.
struct FileAccess {
    std::uint32_t permissions = 0;
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
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
    Failed,         // any other failure, code in lastErrorCode()
};

enum class CopyResult { Copied, ReadFailed, WriteFailed };

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

    // Opens path for reading, positioned at its start, only if it is a
    // regular file (following symbolic links). Never blocks on a FIFO or a
    // device. On Opened, access describes the file.
    OpenResult openForReading(const std::string& path, FileAccess& access);

    // Creates path as a new, empty file readable and writable by its owner
    // only, failing with AlreadyExists instead of opening an existing file.
    CreateResult createExclusive(const std::string& path);

    // Reads up to size bytes at the current position into buffer. Returns the
    // number read, 0 at the end of the file, or -1 on a failure (an
    // interrupted call is retried, never reported).
    std::int64_t readSome(char* buffer, std::size_t size);

    // Writes all size bytes at the current position. Returns false on a
    // failure (a full disk, a file size limit); part may have been written.
    bool writeAll(const char* data, std::size_t size);
    bool writeAll(const std::string& bytes) { return writeAll(bytes.data(), bytes.size()); }

    // Copies everything from source's current position to its end to this
    // file's current position, in the kernel where the file systems allow it
    // and through a fixed-size buffer otherwise.
    CopyResult copyRemainderFrom(FileHandle& source);

    // Gives the file the owner and group of access where the process may set
    // them (a refusal for lack of privilege is not a failure), then its
    // permission bits. Returns false on any other failure.
    bool applyAccess(const FileAccess& access);

    // Closes the file and reports whether everything written reached the
    // system. The handle is closed afterwards even on failure.
    bool close();

    bool isOpen() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

}  // namespace ostrel::platform

#endif
