// The POSIX file system of the platform seam: FileHandle, DirectoryHandle
// and the whole-path operations on descriptors and the *at() calls. Every
// system call of the file code goes through posix::systemCalls(), so that
// tests of this implementation can make one of them fail.
#include "util/platform/FileSystem.h"

#include "util/platform/StopHandling.h"
#include "util/platform/posix/FileIdentityKey.h"
#include "util/platform/posix/HeldStopRequests.h"
#include "util/platform/posix/PosixState.h"
#include "util/platform/posix/SystemCalls.h"
#include "util/platform/posix/WriteLease.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <system_error>
#include <utility>
#include <vector>

namespace ostrel::platform {

namespace {

using posix::systemCalls;

// Large enough that the kernel does one request per gigabyte of content.
constexpr std::size_t kKernelCopyChunk = std::size_t(1) << 30;
// The fallback's buffer; fixed, so memory use does not grow with file size.
constexpr std::size_t kBufferSize = std::size_t(256) << 10;
constexpr std::uint64_t kToTheEnd = std::numeric_limits<std::uint64_t>::max();

const char kAccessAclName[] = "system.posix_acl_access";
const char kDefaultAclName[] = "system.posix_acl_default";
const char kUserNamespace[] = "user.";
const char kTrustedNamespace[] = "trusted.";
const char kSecurityLabelName[] = "security.selinux";

bool startsWith(const std::string& name, const char* prefix) {
    return name.compare(0, std::strlen(prefix), prefix) == 0;
}

bool isUnsupported(int error) { return error == ENOTSUP || error == EOPNOTSUPP || error == ENOSYS; }

bool writeAllTo(int descriptor, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = systemCalls().write(descriptor, data, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Copies up to limit bytes, or to the end of from, from offset on (advanced
// as it goes) to to's position, through a buffer.
CopyResult copyThroughBuffer(int from, off_t& offset, int to, std::uint64_t limit) {
    const std::unique_ptr<char[]> buffer(new char[kBufferSize]);
    while (limit > 0) {
        const std::size_t wanted = limit < kBufferSize ? static_cast<std::size_t>(limit) : kBufferSize;
        const ssize_t count = systemCalls().readAt(from, buffer.get(), wanted, offset);
        if (count == 0) {
            return CopyResult::Copied;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return CopyResult::ReadFailed;
        }
        if (!writeAllTo(to, buffer.get(), static_cast<std::size_t>(count))) {
            return CopyResult::WriteFailed;
        }
        offset += count;
        limit -= static_cast<std::uint64_t>(count);
    }
    return CopyResult::Copied;
}

// Copies up to limit bytes, or to the end of from, from offset on (advanced
// as it goes) to to's position: in the kernel, and through the buffer from
// where the kernel copy stopped when the file systems refuse it (EXDEV,
// EINVAL, ENOSYS, EOPNOTSUPP), when the source reports no content to it
// though it may have some, and on real failures, which read or write then
// report on the side they belong to.
CopyResult copyRange(int from, off_t& offset, int to, std::uint64_t limit) {
    bool copiedAnything = false;
    while (limit > 0) {
        const std::size_t wanted = limit < kKernelCopyChunk ? static_cast<std::size_t>(limit) : kKernelCopyChunk;
        const ssize_t count = systemCalls().copyFileRange(from, &offset, to, wanted);
        if (count > 0) {
            copiedAnything = true;
            limit -= static_cast<std::uint64_t>(count);
            continue;
        }
        if (count == 0 && copiedAnything) {
            return CopyResult::Copied;
        }
        if (count < 0 && errno == EINTR) {
            continue;
        }
        return copyThroughBuffer(from, offset, to, limit);
    }
    return CopyResult::Copied;
}

bool seekTo(int descriptor, off_t offset) { return systemCalls().seek(descriptor, offset, SEEK_SET) == offset; }

// Copies the data ranges of from, from start on, to the same relative places
// of to, and leaves to positioned and sized as if every byte had been
// written. size is what from held when it was opened: a first hole at or
// past it means there is none, and the file's size bytes are copied in one
// go; a sparse file is copied to its end.
CopyResult copyKeepingHoles(int from, off_t start, off_t size, int to) {
    const off_t firstHole = systemCalls().seek(from, start, SEEK_HOLE);
    off_t offset = start;
    if (firstHole >= size) {
        // No hole: the bytes the file had when it was opened, without a call
        // to find its end (a file that grew meanwhile has changed, which the
        // caller checks).
        return start < size ? copyRange(from, offset, to, static_cast<std::uint64_t>(size - start))
                            : CopyResult::Copied;
    }
    if (firstHole < 0) {
        // A file system that cannot tell data from holes, or a start past
        // the end: whatever there is, to the end.
        return copyRange(from, offset, to, kToTheEnd);
    }
    const off_t base = systemCalls().seek(to, 0, SEEK_CUR);
    if (base < 0) {
        return CopyResult::WriteFailed;
    }
    off_t position = start;
    for (;;) {
        const off_t data = systemCalls().seek(from, position, SEEK_DATA);
        if (data < 0) {
            if (errno == ENXIO) {  // nothing but a hole from position to the end
                const off_t end = systemCalls().seek(from, 0, SEEK_END);
                if (end < 0) {
                    return CopyResult::ReadFailed;
                }
                position = end > position ? end : position;
            }
            break;
        }
        const off_t hole = systemCalls().seek(from, data, SEEK_HOLE);
        if (hole < data) {
            break;
        }
        if (!seekTo(to, base + (data - start))) {
            return CopyResult::WriteFailed;
        }
        off_t offset = data;
        const CopyResult result = copyRange(from, offset, to, static_cast<std::uint64_t>(hole - data));
        if (result != CopyResult::Copied) {
            return result;
        }
        position = hole;
    }
    // The rest from position on: normally nothing, but it carries what was
    // appended meanwhile.
    if (!seekTo(to, base + (position - start))) {
        return CopyResult::WriteFailed;
    }
    const CopyResult result = copyRange(from, position, to, kToTheEnd);
    if (result != CopyResult::Copied) {
        return result;
    }
    // A hole at the end is not written; the size says it is there.
    const off_t end = systemCalls().seek(to, 0, SEEK_CUR);
    return end >= 0 && systemCalls().truncate(to, end) == 0 ? CopyResult::Copied : CopyResult::WriteFailed;
}

// The value of the extended attribute name, in value. Returns false with
// errno set on a failure; ENODATA means the attribute went away meanwhile.
bool readAttribute(int descriptor, const char* name, std::string& value) {
    for (;;) {
        const ssize_t size = systemCalls().getAttribute(descriptor, name, nullptr, 0);
        if (size < 0) {
            return false;
        }
        value.resize(static_cast<std::size_t>(size));
        const ssize_t read = systemCalls().getAttribute(descriptor, name, value.data(), value.size());
        if (read >= 0) {
            value.resize(static_cast<std::size_t>(read));
            return true;
        }
        if (errno != ERANGE) {  // ERANGE: it grew in between; ask again
            return false;
        }
    }
}

// The NUL-separated names of the extended attributes of the file. Returns
// false with errno set on a failure.
bool listAttributes(int descriptor, std::string& names) {
    // Most files have no attribute at all: one call with a small buffer
    // answers for them.
    char small[512];
    ssize_t size = systemCalls().listAttributes(descriptor, small, sizeof small);
    if (size >= 0) {
        names.assign(small, static_cast<std::size_t>(size));
        return true;
    }
    while (errno == ERANGE) {
        size = systemCalls().listAttributes(descriptor, nullptr, 0);
        if (size < 0) {
            return false;
        }
        names.resize(static_cast<std::size_t>(size));
        size = systemCalls().listAttributes(descriptor, names.data(), names.size());
        if (size >= 0) {
            names.resize(static_cast<std::size_t>(size));
            return true;
        }
    }
    return false;
}

// The result of opening path as descriptor (negative: the open failed),
// given that only a regular file may be used; anything else is closed again.
OpenResult keepOnlyRegularFile(int descriptor, struct stat& info) {
    if (descriptor < 0) {
        if (errno == ENXIO) {  // a FIFO without a reader, a device without its driver
            return OpenResult::NotRegularFile;
        }
        return (errno == ENOENT || errno == ENOTDIR) ? OpenResult::NotFound : OpenResult::Failed;
    }
    if (systemCalls().fstat(descriptor, &info) != 0) {
        const int error = errno;
        systemCalls().close(descriptor);
        errno = error;
        return OpenResult::Failed;
    }
    if (!S_ISREG(info.st_mode)) {
        systemCalls().close(descriptor);
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return OpenResult::NotRegularFile;
    }
    return OpenResult::Opened;
}

// Fills access with the access ACL and the extended attributes a
// replacement carries (FileAccessData) of the open file. A file system
// without extended attributes has none. Returns false on any other failure.
bool readAttributes(int descriptor, FileAccessData& access) {
    std::string names;
    if (!listAttributes(descriptor, names)) {
        return isUnsupported(errno);
    }
    for (std::size_t start = 0; start < names.size();) {
        std::size_t end = names.find('\0', start);
        if (end == std::string::npos) {
            end = names.size();
        }
        const std::string name = names.substr(start, end - start);
        start = end + 1;
        const bool isAcl = name == kAccessAclName;
        const bool isPrivileged = startsWith(name, kTrustedNamespace) || name == kSecurityLabelName;
        if (!isAcl && !isPrivileged && !startsWith(name, kUserNamespace)) {
            continue;
        }
        std::string value;
        if (!readAttribute(descriptor, name.c_str(), value)) {
            if (errno == ENODATA) {
                continue;
            }
            return false;
        }
        if (isAcl) {
            access.accessControlList = value;
        } else if (isPrivileged) {
            access.privilegedAttributes.emplace_back(name, value);
        } else {
            access.userAttributes.emplace_back(name, value);
        }
    }
    return true;
}

CreateResult createExclusiveAt(int directory, const char* name, NewFileAccess access, int& descriptor) {
    const mode_t mode = access == NewFileAccess::Private ? 0600 : 0666;
    descriptor = systemCalls().openAt(directory, name, O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
    if (descriptor < 0) {
        return errno == EEXIST         ? CreateResult::AlreadyExists
               : errno == ENAMETOOLONG ? CreateResult::NameTooLong
                                       : CreateResult::Failed;
    }
    return CreateResult::Created;
}

// What a file this process creates in directory gets (see DirectoryState).
const DirectoryState::NewFiles& newFilesOf(DirectoryState& directory) {
    DirectoryState::NewFiles& newFiles = directory.newFiles;
    if (newFiles.known) {
        return newFiles;
    }
    newFiles.known = true;
    // The default ACL is an attribute of the directory itself, which only a
    // directory opened for reading can be asked for; of one that may not be
    // read, the new file is taken to have one.
    if (directory.readable) {
        const ssize_t size = systemCalls().getAttribute(directory.descriptor, kDefaultAclName, nullptr, 0);
        newFiles.mayGetAcl = size > 0 || (size < 0 && errno != ENODATA && !isUnsupported(errno));
    }
    return newFiles;
}

// A new record for an open descriptor.
std::unique_ptr<FileState, FileStateDeleter> stateFor(int descriptor) {
    std::unique_ptr<FileState, FileStateDeleter> state(new FileState);
    state->descriptor = descriptor;
    return state;
}

int directoryDescriptor(const DirectoryHandle* directory) {
    return directory != nullptr ? posix::descriptorOf(*directory) : AT_FDCWD;
}

bool closeDescriptor(FileHandle& file) {
    const std::unique_ptr<FileState, FileStateDeleter> state = file.release();
    if (state == nullptr) {
        return true;
    }
    // The descriptor is gone after close even when it reports an error
    // (EINTR included), so it is never closed twice.
    const int descriptor = state->descriptor;
    state->descriptor = -1;
    return systemCalls().close(descriptor) == 0;
}

// Whether a flush's result (fsync, syncfs) says the data is on stable
// storage; EINVAL is a file system that has nothing to flush (a pipe-like or
// special one).
bool flushed(int result) { return result == 0 || errno == EINVAL; }

// The file system of a file created in a directory (its directory's, asked
// once per directory), or of any other open file.
bool deviceOf(const FileHandle& file, dev_t& device) {
    DirectoryState* const directory = file.state() != nullptr ? file.state()->createdIn : nullptr;
    if (directory != nullptr && directory->deviceKnown) {
        device = directory->device;
        return true;
    }
    struct stat info {};
    if (systemCalls().fstat(posix::descriptorOf(file), &info) != 0) {
        return false;
    }
    device = info.st_dev;
    if (directory != nullptr) {
        directory->deviceKnown = true;
        directory->device = device;
    }
    return true;
}

// Removes from pendingNames the directories that lie on device, whose names
// a flush of that whole file system made durable.
void dropNamesOn(dev_t device, std::vector<const DirectoryHandle*>& pendingNames) {
    for (auto entry = pendingNames.begin(); entry != pendingNames.end();) {
        DirectoryState* const state = (*entry)->state();
        if (state != nullptr && !state->deviceKnown) {
            struct stat info {};
            if (systemCalls().fstat(state->descriptor, &info) == 0) {
                state->deviceKnown = true;
                state->device = info.st_dev;
            }
        }
        if (state != nullptr && state->deviceKnown && state->device == device) {
            entry = pendingNames.erase(entry);
        } else {
            ++entry;
        }
    }
}

class PosixFileSystem final : public FileSystem {
public:
    bool openDirectory(DirectoryHandle& directory, const std::string& path) override {
        const char* const name = path.empty() ? "." : path.c_str();
        // Opened for reading where the process may, so that the names put in
        // place there can be flushed through the descriptor itself; for its
        // path alone (O_PATH, which needs only search permission, as looking
        // a name up by its full path does) where it may not.
        bool readable = true;
        int descriptor = systemCalls().openAt(AT_FDCWD, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
        if (descriptor < 0 && (errno == EACCES || errno == EPERM)) {
            readable = false;
            descriptor = systemCalls().openAt(AT_FDCWD, name, O_PATH | O_DIRECTORY | O_CLOEXEC, 0);
        }
        if (descriptor < 0) {
            return false;
        }
        std::unique_ptr<DirectoryState, DirectoryStateDeleter> state(new DirectoryState);
        state->descriptor = descriptor;
        state->readable = readable;
        directory.adopt(std::move(state), path);
        return true;
    }

    bool queryNameLimit(const DirectoryHandle& directory, std::size_t& nameBytes) override {
        errno = 0;
        const long limit = ::fpathconf(posix::descriptorOf(directory), _PC_NAME_MAX);
        if (limit < 0) {
            if (errno != 0) {
                return false;
            }
            nameBytes = std::numeric_limits<std::size_t>::max();
            return true;
        }
        nameBytes = static_cast<std::size_t>(limit);
        return true;
    }

    OpenResult openForReading(FileHandle& file, const DirectoryHandle* directory, const std::string& name,
                              FileAccess& access, FileExtent& extent, Links links) override {
        // O_NONBLOCK keeps the open of a FIFO without a writer from waiting;
        // the type check below then turns it away before anything is read.
        // On a regular file the flag changes nothing, so it stays set.
        const int descriptor =
            systemCalls().openAt(directoryDescriptor(directory), name.c_str(),
                                 O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0),
                                 0);
        if (descriptor < 0 && errno == ELOOP && links == Links::Refuse) {
            return OpenResult::NotRegularFile;
        }
        struct stat info {};
        const OpenResult result = keepOnlyRegularFile(descriptor, info);
        if (result != OpenResult::Opened) {
            return result;
        }
        FileAccessData& data = access.data();
        data = FileAccessData();
        data.permissions = info.st_mode & 07777;
        data.owner = info.st_uid;
        data.group = info.st_gid;
        if (!readAttributes(descriptor, data)) {
            const int error = errno;
            systemCalls().close(descriptor);
            errno = error;
            return OpenResult::Failed;
        }
        extent.size = static_cast<std::uint64_t>(info.st_size);
        extent.identity = posix::identityOf(info);
        std::unique_ptr<FileState, FileStateDeleter> state = stateFor(descriptor);
        state->device = info.st_dev;
        state->inode = info.st_ino;
        state->size = info.st_size;
        state->changeSeconds = static_cast<std::int64_t>(info.st_ctim.tv_sec);
        state->changeNanoseconds = static_cast<std::int64_t>(info.st_ctim.tv_nsec);
        file.adopt(std::move(state));
        return OpenResult::Opened;
    }

    CreateResult createExclusive(FileHandle& file, const DirectoryHandle* directory, const std::string& name,
                                 NewFileAccess access, RemovalOnStop* removalOnStop) override {
        int descriptor = -1;
        CreateResult result;
        if (removalOnStop == nullptr || directory == nullptr) {
            result = createExclusiveAt(directoryDescriptor(directory), name.c_str(), access, descriptor);
        } else {
            // No stop may fall between the creation and the registration
            // that lets a stop remove the file.
            const posix::HeldStopRequests held;
            result = createExclusiveAt(posix::descriptorOf(*directory), name.c_str(), access, descriptor);
            if (result == CreateResult::Created) {
                removalOnStop->registerEntry(*directory, name);
            }
        }
        if (result == CreateResult::Created) {
            file.adopt(stateFor(descriptor));
            if (directory != nullptr) {
                file.state()->createdIn = directory->state();
                if (!directory->state()->readable) {
                    file.state()->readOnlyDescriptor =
                        systemCalls().openAt(posix::descriptorOf(*directory), name.c_str(), O_RDONLY | O_CLOEXEC, 0);
                }
            }
        }
        return result;
    }

    OpenResult openForAppending(FileHandle& file, const std::string& path) override {
        const int descriptor = systemCalls().openAt(
            AT_FDCWD, path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
        struct stat info {};
        const OpenResult result = keepOnlyRegularFile(descriptor, info);
        if (result == OpenResult::Opened) {
            file.adopt(stateFor(descriptor));
        }
        return result;
    }

    std::int64_t read(FileHandle& file, char* buffer, std::size_t size) override {
        FileState* state = file.state();
        if (state == nullptr) {
            errno = EBADF;
            return -1;
        }
        for (;;) {
            const ssize_t count =
                systemCalls().readAt(state->descriptor, buffer, size, static_cast<off_t>(state->readPosition));
            if (count >= 0) {
                state->readPosition += static_cast<std::uint64_t>(count);
                return static_cast<std::int64_t>(count);
            }
            if (errno != EINTR) {
                return -1;
            }
        }
    }

    bool write(FileHandle& file, const char* data, std::size_t size) override {
        if (file.state() == nullptr) {
            errno = EBADF;
            return false;
        }
        return writeAllTo(file.state()->descriptor, data, size);
    }

    CopyResult copy(FileHandle& source, FileHandle& destination) override {
        if (destination.state() == nullptr || source.state() == nullptr) {
            errno = EBADF;
            return destination.state() == nullptr ? CopyResult::WriteFailed : CopyResult::ReadFailed;
        }
        const FileState& from = *source.state();
        return copyKeepingHoles(from.descriptor, static_cast<off_t>(from.readPosition), from.size,
                                destination.state()->descriptor);
    }

    bool applyAccess(FileHandle& file, const FileAccess& access) override {
        if (file.state() == nullptr) {
            errno = EBADF;
            return false;
        }
        const int descriptor = file.state()->descriptor;
        const FileAccessData& data = access.data();
        // A file created here already has some of what it is to get; the
        // calls for it are skipped (a step of many small files pays for
        // every call). Its owner and group are what the file system gave it
        // (the process's, a set-group-ID directory's, or on a grpid mount
        // the directory's group), so they are read from the file itself.
        DirectoryState::NewFiles created;
        if (file.state()->createdIn != nullptr) {
            created = newFilesOf(*file.state()->createdIn);
        }
        struct stat got {};
        if (systemCalls().fstat(descriptor, &got) != 0) {
            return false;
        }
        bool ownerKept = true;
        bool groupKept = true;
        if (got.st_uid == data.owner && got.st_gid == data.group) {
            // Already the owner and group it is to have.
        } else if (systemCalls().fchown(descriptor, data.owner, data.group) != 0) {
            if (errno != EPERM) {
                return false;
            }
            // Without the privilege to give the file away, the group alone
            // may still be set when the process belongs to it; what the file
            // ends with decides which set-id bits it may keep.
            if (systemCalls().fchown(descriptor, static_cast<uid_t>(-1), data.group) != 0 && errno != EPERM) {
                return false;
            }
            struct stat info {};
            if (systemCalls().fstat(descriptor, &info) != 0) {
                return false;
            }
            ownerKept = info.st_uid == data.owner;
            groupKept = info.st_gid == data.group;
        }
        for (const auto& attribute : data.userAttributes) {
            if (systemCalls().setAttribute(descriptor, attribute.first.c_str(), attribute.second.data(),
                                           attribute.second.size()) != 0) {
                return false;
            }
        }
        for (const auto& attribute : data.privilegedAttributes) {
            // Only a process with the privilege (or, for the label, the
            // security policy's leave) may set these; without it the new
            // file keeps what the system gave it.
            if (systemCalls().setAttribute(descriptor, attribute.first.c_str(), attribute.second.data(),
                                           attribute.second.size()) != 0 &&
                errno != EPERM && errno != EACCES && !isUnsupported(errno)) {
                return false;
            }
        }
        if (!data.accessControlList.empty()) {
            if (systemCalls().setAttribute(descriptor, kAccessAclName, data.accessControlList.data(),
                                           data.accessControlList.size()) != 0) {
                return false;
            }
        } else if (created.known && !created.mayGetAcl) {
            // The directory gives new files no ACL, so this one has none.
        } else if (systemCalls().removeAttribute(descriptor, kAccessAclName) != 0 && errno != ENODATA &&
                   !isUnsupported(errno)) {
            // A file created in a directory with a default ACL got one; the
            // file it replaces had none, so neither may this one.
            return false;
        }
        mode_t mode = data.permissions & 07777;
        if (!ownerKept) {
            mode &= ~static_cast<mode_t>(S_ISUID);
        }
        if (!groupKept) {
            mode &= ~static_cast<mode_t>(S_ISGID);
        }
        return systemCalls().fchmod(descriptor, mode) == 0;
    }

    OtherWriters watchForWriters(FileHandle& file) override {
        FileState* state = file.state();
        if (state == nullptr) {
            errno = EBADF;
            return OtherWriters::Unknown;
        }
        // Another rewrite of the same file holds the file locked from its
        // open to its rename, so two rewrites can never both pass their last
        // check and rename one after the other, the second undoing the first.
        // The lock is given up with the descriptor.
        if (::flock(state->descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK) {
            return OtherWriters::Rewriting;
        }
        const OtherWriters answer = posix::takeReadLease(state->descriptor);
        state->watchingWriters = answer == OtherWriters::None;
        return answer;
    }

    bool writerArrived(const FileHandle& file) override {
        const FileState* state = file.state();
        return state != nullptr && state->watchingWriters && posix::leaseBroken(state->descriptor);
    }

    bool isUnchangedAt(const FileHandle& file, const DirectoryHandle& directory, const std::string& name) override {
        // The entry's status is the file's own when it still names the file.
        const FileState* state = file.state();
        struct stat entry {};
        if (state == nullptr ||
            systemCalls().statAt(posix::descriptorOf(directory), name.c_str(), &entry, 0) != 0) {
            return false;
        }
        return entry.st_dev == state->device && entry.st_ino == state->inode && entry.st_size == state->size &&
               static_cast<std::int64_t>(entry.st_ctim.tv_sec) == state->changeSeconds &&
               static_cast<std::int64_t>(entry.st_ctim.tv_nsec) == state->changeNanoseconds;
    }

    bool close(FileHandle& file) override { return closeDescriptor(file); }

    // Written data reaches the file system with each write; what a later
    // failure of the device or of a network file system has to say shows in
    // makeDurable and in the close before the rename.
    bool finishWriting(FileHandle& file) override {
        if (file.state() == nullptr) {
            errno = EBADF;
            return false;
        }
        return true;
    }

    bool putInPlace(FileHandle& file, const DirectoryHandle& directory, const std::string& temporaryName,
                    const std::string& targetName, Placement, FileHandle* replaced) override {
        DirectoryState* const directoryState = directory.state();
        if (file.state() == nullptr || directoryState == nullptr) {
            errno = EBADF;
            return false;
        }
        // Where the directory may not be read, its names will be flushed
        // through this file (makeNamesDurable): through its read-only
        // descriptor, or, should that one have failed to open, through the
        // one it was written with.
        int flushThrough = -1;
        if (!directoryState->readable) {
            std::swap(flushThrough, file.state()->readOnlyDescriptor);
            if (flushThrough < 0) {
                std::swap(flushThrough, file.state()->descriptor);
            }
        }
        // A close that fails is how a file system may report a write that did
        // not reach it after all (NFS, a full disk with delayed allocation):
        // the file then does not take the name.
        if (!closeDescriptor(file)) {
            if (flushThrough >= 0) {
                const int error = errno;
                systemCalls().close(flushThrough);
                errno = error;
            }
            return false;
        }
        if (flushThrough >= 0) {
            if (directoryState->flushThrough >= 0) {
                systemCalls().close(directoryState->flushThrough);
            }
            directoryState->flushThrough = flushThrough;
        }
        const int descriptor = directoryState->descriptor;
        const bool renamed =
            systemCalls().renameAt(descriptor, temporaryName.c_str(), descriptor, targetName.c_str()) == 0;
        // The replaced file stays claimed (its lock and lease) until the new
        // one holds its name.
        if (renamed && replaced != nullptr) {
            closeDescriptor(*replaced);
        }
        return renamed;
    }

    bool discard(FileHandle& file, const DirectoryHandle& directory, const std::string& temporaryName) override {
        closeDescriptor(file);
        return systemCalls().unlinkAt(posix::descriptorOf(directory), temporaryName.c_str()) == 0 ||
               errno == ENOENT;
    }

    bool makeDurable(FileHandle* const* files, std::size_t count, std::vector<const DirectoryHandle*>& pendingNames,
                     std::size_t& failed) override {
        // One syncfs per file system the files lie on flushes them all at the
        // cost of one round trip to the device, and with them every name
        // changed there before it. It reports the write-back errors of the
        // whole file system (since Linux 5.8), others' too, so where it fails,
        // or the system lacks it, each file is flushed on its own, which tells
        // exactly which one did not reach the disk.
        std::vector<dev_t> devices(count);
        for (std::size_t index = 0; index < count; ++index) {
            if (!deviceOf(*files[index], devices[index])) {
                failed = index;
                return false;
            }
        }
        std::size_t firstFailure = count;
        int failure = 0;
        std::vector<bool> done(count, false);
        for (std::size_t first = 0; first < count; ++first) {
            if (done[first]) {
                continue;
            }
            const dev_t device = devices[first];
            const bool wholeFileSystem = systemCalls().syncFileSystem(posix::descriptorOf(*files[first])) == 0;
            for (std::size_t index = first; index < count; ++index) {
                if (done[index] || devices[index] != device) {
                    continue;
                }
                done[index] = true;
                if (!wholeFileSystem && !flushed(systemCalls().sync(posix::descriptorOf(*files[index]))) &&
                    index < firstFailure) {
                    firstFailure = index;
                    failure = errno;
                }
            }
            if (wholeFileSystem) {
                dropNamesOn(device, pendingNames);
            }
        }
        if (firstFailure < count) {
            failed = firstFailure;
            errno = failure;
            return false;
        }
        return true;
    }

    bool makeNamesDurable(const DirectoryHandle& directory) override {
        const DirectoryState* const state = directory.state();
        if (state == nullptr) {
            errno = EBADF;
            return false;
        }
        if (state->readable) {
            return flushed(systemCalls().sync(state->descriptor));
        }
        // No file to flush through: nothing of this process was put in place
        // here.
        return state->flushThrough < 0 || flushed(systemCalls().syncFileSystem(state->flushThrough));
    }

    std::size_t openFileRoom() override {
        // Kept for what the process holds besides: its standard streams, the
        // libraries' files, the directories of the files being replaced.
        constexpr long kHeldBesides = 64;
        const long limit = systemCalls().openFileLimit();
        if (limit == std::numeric_limits<long>::max()) {
            return std::numeric_limits<std::size_t>::max();
        }
        return limit > kHeldBesides ? static_cast<std::size_t>(limit - kHeldBesides) : 1;
    }

    StatusResult queryStatus(const std::string& path, FileStatus& status) override {
        struct stat info {};
        if (systemCalls().statAt(AT_FDCWD, path.c_str(), &info, 0) == 0) {
            status.isDirectory = S_ISDIR(info.st_mode);
            status.isRegularFile = S_ISREG(info.st_mode);
            status.size = static_cast<std::uint64_t>(info.st_size);
            status.identity = posix::identityOf(info);
            return StatusResult::Found;
        }
        return errno == ENOENT || errno == ENOTDIR ? StatusResult::NotFound : StatusResult::Failed;
    }

    bool rename(const std::string& from, const std::string& to) override {
        return systemCalls().renameAt(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str()) == 0;
    }

    bool removeFile(const std::string& path) override { return systemCalls().unlinkAt(AT_FDCWD, path.c_str()) == 0; }

    bool removeTree(const std::string& path) override {
        std::error_code error;
        std::filesystem::remove_all(std::filesystem::path(path), error);
        if (error) {
            errno = error.value();
            return false;
        }
        return true;
    }
};

}  // namespace

void FileStateDeleter::operator()(FileState* state) const noexcept {
    if (state != nullptr && state->descriptor >= 0) {
        systemCalls().close(state->descriptor);
    }
    if (state != nullptr && state->readOnlyDescriptor >= 0) {
        systemCalls().close(state->readOnlyDescriptor);
    }
    delete state;
}

void DirectoryStateDeleter::operator()(DirectoryState* state) const noexcept {
    if (state != nullptr && state->descriptor >= 0) {
        systemCalls().close(state->descriptor);
    }
    if (state != nullptr && state->flushThrough >= 0) {
        systemCalls().close(state->flushThrough);
    }
    delete state;
}

void FileAccessDataDeleter::operator()(FileAccessData* data) const noexcept { delete data; }

FileAccess::FileAccess() : data_(new FileAccessData) {}
FileAccess::~FileAccess() = default;
FileAccess::FileAccess(FileAccess&&) noexcept = default;
FileAccess& FileAccess::operator=(FileAccess&&) noexcept = default;

bool FileAccess::mayBeReplaced() const { return true; }

FileSystem& realFileSystem() {
    // Never destroyed, like the system calls below it.
    static FileSystem& fileSystem = *new PosixFileSystem;
    return fileSystem;
}

}  // namespace ostrel::platform
