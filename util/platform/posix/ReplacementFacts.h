#ifndef OSTREL_PLATFORM_POSIX_REPLACEMENTFACTS_H
#define OSTREL_PLATFORM_POSIX_REPLACEMENTFACTS_H

#include <cstdint>
#include <string>

// What putting a new file in the place of an existing one needs and changes
// beyond the bytes, asked before anything is changed: the room on the file
// system that holds both for a while, and the owner and group the new file
// ends with. POSIX only (the Linux step tool asks these). Never throws;
// failures come back as false with the system's error code in
// lastErrorCode().
namespace ostrel::platform {

// The file system a directory is on.
struct FileSystemSpace {
    std::uint64_t device = 0;          // the same for every directory on that file system
    std::uint64_t availableBytes = 0;  // what this process may still write there (the superuser's
                                       // reserve included when it may use it)
    std::uint64_t blockBytes = 1;      // a file takes whole blocks of this size
    std::string mountPoint;            // where it is mounted, to name it
};

bool queryFileSystemSpace(const std::string& directory, FileSystemSpace& space);

// The owner and group a file gets when this process replaces it by a new
// file and gives the new file the old one's owner and group as far as it
// may: only a process with the privilege (CAP_CHOWN) gives a file away; one
// without it keeps itself as the owner, and sets the group only to one of
// its own groups (else the new file keeps the group it was created with:
// the directory's when the directory has the set-group-ID bit, else this
// process's).
struct OwnerChange {
    bool ownerChanges = false;
    bool groupChanges = false;
    // Names (numbers where the system has no name), before and after; set
    // only when something changes.
    std::string ownerBefore, ownerAfter, groupBefore, groupAfter;
};

// For the file at path (after symbolic links), which this process would
// replace with a new file in path's own directory.
bool queryOwnerChange(const std::string& path, OwnerChange& change);

}  // namespace ostrel::platform

#endif
