#ifndef OSTREL_PLATFORM_POSIX_FILEACCESSQUERIES_H
#define OSTREL_PLATFORM_POSIX_FILEACCESSQUERIES_H

#include <cstddef>
#include <cstdint>
#include <string>

#include "util/platform/FileSystem.h"
#include "util/platform/OtherWriters.h"

// What this process (with its effective user and groups) may do with a path,
// and what a directory accepts: questions asked before anything is changed.
// POSIX only, for the Linux step tool (step/); not part of the portable
// seam. These functions never throw; failures come back as results with the
// system's error code.
namespace ostrel::platform {

// 0 when this process may read the file at path (following symbolic links),
// else the system's error code that says why not.
std::uint32_t readAccessError(const std::string& path);

// 0 when this process may put another file in the place of path with a
// rename, else the system's error code that says why not: it needs write and
// search permission on the directory, and in a directory with the sticky
// bit (/tmp, say) it must own the file or the directory, or be the
// superuser (EPERM otherwise).
std::uint32_t replaceAccessError(const std::string& path);

// The longest name (one path component) and the longest path, in bytes
// without the terminating NUL, that directory accepts.
struct NameLimits {
    std::size_t nameBytes = 0;
    std::size_t pathBytes = 0;
};

// Returns false with the system's error code in lastErrorCode() when the
// directory cannot be asked. A limit the system does not have is the
// largest size_t.
bool queryNameLimits(const std::string& directory, NameLimits& limits);

// Which file a directory entry holds: two identities are equal exactly when
// they are the same file. Entry here means the name itself: a symbolic link
// has its own identity, not its target's (FileIdentity: FileSystem.h).
// Returns false with the system's error code in lastErrorCode() when there
// is no entry at path or it cannot be looked at.
bool queryEntryIdentity(const std::string& path, FileIdentity& identity);

// Whether another process has the file at path open for writing, asked the
// way the file code asks before it rewrites a file (FileHandle::
// watchForWriters). Unknown, with the system's code in lastErrorCode(), when
// the file cannot be opened for reading or the system cannot tell.
OtherWriters otherWritersOf(const std::string& path);

// 0 when this process may create and remove entries in directory, else the
// system's error code that says why not (no permission, a read-only file
// system).
std::uint32_t directoryWriteError(const std::string& directory);

// What keeps the system from changing a file or directory whatever its
// permissions say: attributes that only a privileged user sets or clears.
enum class ChangeLock {
    None,        // nothing beyond the permissions (also on a file system without such attributes)
    Immutable,   // nothing may change it: a file cannot be renamed over or removed, a directory
                 // gets no new entry and loses none
    AppendOnly,  // it may only grow: a file cannot be renamed over or removed, a directory gets
                 // new entries but none is removed or replaced
    Unknown,     // the system cannot tell (it may not be opened, say), code in lastErrorCode()
};

// The lock of the file or directory at path itself; a symbolic link (which
// carries none) is None, not its target's.
ChangeLock queryChangeLock(const std::string& path);

// How replacing the entry at path with a new file by a rename reaches
// beyond that name, and whether the system allows the rename at all.
struct EntryFacts {
    // The name is a symbolic link: the link is replaced by the new file and
    // the file it points to keeps its content.
    bool symbolicLink = false;
    // How many other names (hard links) the file has besides this one; they
    // keep the old content. 0 for a symbolic link.
    std::uint64_t otherNames = 0;
    // Something is mounted on the name (a file bound onto it, say): the
    // system refuses to rename over it or remove it.
    bool mountPoint = false;
};

// Returns false with the system's error code in lastErrorCode() when there
// is no entry at path or it cannot be looked at.
bool queryEntryFacts(const std::string& path, EntryFacts& facts);

}  // namespace ostrel::platform

#endif
