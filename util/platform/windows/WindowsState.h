#ifndef OSTREL_PLATFORM_WINDOWS_WINDOWSSTATE_H
#define OSTREL_PLATFORM_WINDOWS_WINDOWSSTATE_H

#include "util/platform/DirectoryHandle.h"
#include "util/platform/FileHandle.h"
#include "util/platform/windows/WindowsApi.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The Windows records behind the platform seam's opaque handles: what the
// file code keeps of an open file, an open directory and who may use a file.
namespace ostrel::platform {

namespace windows {

// What a file is at one moment, for telling whether the entry that named it
// still names it unchanged.
struct FileSnapshot {
    // Volume serial number and file ID (128 bits where the file system has
    // them), as bytes: equal exactly for the same file.
    std::string identity;
    std::uint64_t size = 0;
    std::int64_t changeTime = 0;  // content or metadata changed, 100 ns units
    std::int64_t writeTime = 0;
    DWORD attributes = 0;
    bool isDirectory = false;
};

}  // namespace windows

struct FileState {
    HANDLE handle = INVALID_HANDLE_VALUE;
    // The system path it was opened or created under (long form).
    std::wstring path;
    // Where readSome and the copy go on; reads name their offset, so the
    // handle's own position serves the writes alone.
    std::uint64_t readPosition = 0;
    // A temporary file that the system removes when its last handle closes
    // (delete-pending), until putInPlace clears the mark.
    bool deletePending = false;
    // The read-only attribute of the file it replaces, set once this file
    // is in place (a read-only file could not be renamed or removed).
    bool readOnlyOnceInPlace = false;
    // watchForWriters found no writer: writerArrived asks again.
    bool watchingWriters = false;
    // Of a temporary file given a file's access: that file (system path),
    // whose named streams putInPlace carries over.
    std::wstring streamsFrom;
    // What the file was when it was opened for reading (isUnchangedAt).
    windows::FileSnapshot opened;
};

struct DirectoryState {
    // Open without FILE_SHARE_DELETE: while it is, the directory cannot be
    // renamed or removed, so its path keeps naming it.
    HANDLE handle = INVALID_HANDLE_VALUE;
    // Full path as the system normalised it (not in the long form), the base
    // of every entry's path.
    std::wstring path;
    // The longest name its volume takes (UTF-16 units); 0 until asked.
    std::size_t longestName = 0;
};

// Everything a replacement carries over besides the bytes: the security
// descriptor (owner, group, DACL with its protection and inherited entries,
// in the self-relative form) and the attributes that say how the file is
// shown and kept (hidden, system, archive, not content-indexed, offline,
// temporary, read-only).
struct FileAccessData {
    // Empty where the volume keeps no security (FAT).
    std::string securityDescriptor;
    DWORD attributes = 0;
    // The file it was read from (system path), for its named streams.
    std::wstring path;
};

namespace windows {

inline HANDLE handleOf(const FileHandle& file) {
    return file.state() != nullptr ? file.state()->handle : INVALID_HANDLE_VALUE;
}

}  // namespace windows

}  // namespace ostrel::platform

#endif
