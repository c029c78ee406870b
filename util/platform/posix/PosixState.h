#ifndef OSTREL_PLATFORM_POSIX_POSIXSTATE_H
#define OSTREL_PLATFORM_POSIX_POSIXSTATE_H

#include "util/platform/DirectoryHandle.h"
#include "util/platform/FileHandle.h"

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// The POSIX records behind the platform seam's opaque handles: what the
// file code keeps of an open file, an open directory and who may use a file.
namespace ostrel::platform {

struct DirectoryState;

struct FileState {
    int descriptor = -1;
    // Of a file created in a directory that may not be read
    // (DirectoryState::readable): the file opened once more, for reading,
    // while it was still private, so that the directory's names can be
    // flushed through it once it is in place without holding it open for
    // writing (which another replacement's lease would take for a writer).
    int readOnlyDescriptor = -1;
    // Of a file created in a directory: the directory, asked about what a
    // new file there gets (DirectoryState::newFiles), so that applying access
    // skips what the file already has.
    DirectoryState* createdIn = nullptr;
    // Where readSome and the copy go on (the descriptor's own position is
    // never used for reading).
    std::uint64_t readPosition = 0;
    // A read lease is held (FileHandle::watchForWriters returned None).
    bool watchingWriters = false;
    // What the file was when it was opened for reading, for isUnchangedAt.
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    std::int64_t changeSeconds = 0;
    std::int64_t changeNanoseconds = 0;
};

struct DirectoryState {
    int descriptor = -1;
    // Opened for reading, so that the descriptor itself can be flushed;
    // otherwise (a directory the process may search but not read) it is
    // opened for its path alone, and its names are flushed with its whole
    // file system through flushThrough: the last file put in place here,
    // kept open for that.
    bool readable = false;
    int flushThrough = -1;
    // The file system it lies on, once asked (makeDurable).
    bool deviceKnown = false;
    dev_t device = 0;
    // What a file created here by this process gets, found out once when
    // first needed: whether the directory's default ACL gives it an access
    // ACL. Unknown until looked at; when it cannot be told, the file is
    // treated as if it might have one. (Its owner and group are not
    // foretold: a mount option such as grpid gives new files the
    // directory's group, so they are read from each new file itself.)
    struct NewFiles {
        bool known = false;
        bool mayGetAcl = true;
    } newFiles;
};

// Everything a replacement carries over besides the bytes: who may use the
// file (permission bits including set-id and sticky bits, owning user and
// group, the access control list), the user's own extended attributes, and
// where the process may set them the trusted extended attributes and the
// SELinux security label. File capabilities (security.capability) are never
// carried: they were granted to the old content, not to the new one; other
// attributes of the security and system namespaces are not carried either.
struct FileAccessData {
    mode_t permissions = 0;
    uid_t owner = 0;
    gid_t group = 0;
    // The access ACL in the system's own encoding; empty when the file has
    // none (its permission bits alone then say who may use it).
    std::string accessControlList;
    // (name, value) of each user extended attribute, in the system's order.
    std::vector<std::pair<std::string, std::string>> userAttributes;
    // (name, value) of each trusted extended attribute and of the security
    // label: set where the process may, left off where it may not.
    std::vector<std::pair<std::string, std::string>> privilegedAttributes;
};

namespace posix {

// The descriptor of an open file or directory; -1 when not open.
inline int descriptorOf(const FileHandle& file) { return file.state() != nullptr ? file.state()->descriptor : -1; }
inline int descriptorOf(const DirectoryHandle& directory) {
    return directory.state() != nullptr ? directory.state()->descriptor : -1;
}

}  // namespace posix

}  // namespace ostrel::platform

#endif
