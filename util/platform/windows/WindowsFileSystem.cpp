// The Windows file system of the platform seam: FileHandle, DirectoryHandle
// and the whole-path operations on the system's wide (UTF-16) calls.
//
// How it meets the seam's contracts where Windows differs from POSIX:
// - Every open shares reading, writing and deletion with other processes,
//   so this program never keeps anyone from opening, renaming or removing a
//   file it reads. Only an open directory is held without FILE_SHARE_DELETE:
//   while it is open, neither it nor (on NTFS) a directory above it can be
//   renamed or removed, so a path joined from it names an entry of that very
//   directory, as the POSIX code's *at() calls do. (Wine holds only the
//   directory itself: one above it can be renamed.)
// - A temporary file (createExclusive with a RemovalOnStop) is delete-pending
//   from its creation: the system removes it when its handle closes,
//   whatever ends the process. putInPlace clears the mark only just before
//   the rename; finishWriting leaves it open, since closing it would remove
//   it. (Never FILE_FLAG_DELETE_ON_CLOSE, which cannot be taken back.)
// - A finished temporary file takes the target's name in one rename through
//   its own handle, for a replacement (Placement::Replacement) and a new
//   file alike, so the name holds the old file or the new one at every
//   moment, a kill included. Where the system has it (Windows 10 on NTFS),
//   the rename uses POSIX semantics, which also replaces a file that another
//   process holds open with FILE_SHARE_DELETE; elsewhere such a file makes
//   the rename fail and stays as it was. (ReplaceFileW is two renames, with
//   a moment in which the name is absent, so it is not used.) What a
//   replaced file has besides its bytes is carried over by this code: its
//   security descriptor and attributes (applyAccess) and its named streams,
//   copied just before the rename.
// - A copy reads and writes through a buffer: holes of a sparse source are
//   written as zeros here.
// - Who may use a file is its security descriptor and its attributes
//   (FileSecurity.h); a read-only file is one that may not be replaced.
// - Other writers are asked for by a probe open (WriterProbe.h).
#include "util/platform/FileSystem.h"

#include "util/platform/Platform.h"
#include "util/platform/StopHandling.h"
#include "util/platform/windows/FileSecurity.h"
#include "util/platform/windows/HeldStopRequests.h"
#include "util/platform/windows/WidePath.h"
#include "util/platform/windows/WindowsState.h"
#include "util/platform/windows/WriterProbe.h"

#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace ostrel::platform {

namespace {

using windows::FileSnapshot;

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// The most one ReadFile or WriteFile call is given.
constexpr DWORD kLargestTransfer = DWORD(1) << 30;
// The copy's buffer; fixed, so memory use does not grow with file size.
constexpr std::size_t kBufferSize = std::size_t(1) << 20;

// Keeps the last error of a failed call across the clean-up after it.
class KeepLastError {
public:
    KeepLastError() : error_(GetLastError()) {}
    ~KeepLastError() { SetLastError(error_); }
    KeepLastError(const KeepLastError&) = delete;
    KeepLastError& operator=(const KeepLastError&) = delete;

private:
    DWORD error_;
};

void closeKeepingError(HANDLE handle) {
    const KeepLastError kept;
    CloseHandle(handle);
}

template <typename Value>
void appendBytes(std::string& bytes, const Value& value) {
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

bool readSnapshot(HANDLE file, FileSnapshot& snapshot) {
    FILE_BASIC_INFO basic {};
    FILE_STANDARD_INFO standard {};
    if (!GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic) ||
        !GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard)) {
        return false;
    }
    snapshot.identity.clear();
    // 128-bit file IDs where the file system has them (ReFS); the classic
    // 64-bit index otherwise.
    FILE_ID_INFO id {};
    if (GetFileInformationByHandleEx(file, FileIdInfo, &id, sizeof id)) {
        appendBytes(snapshot.identity, id.VolumeSerialNumber);
        appendBytes(snapshot.identity, id.FileId);
    } else {
        BY_HANDLE_FILE_INFORMATION information {};
        if (!GetFileInformationByHandle(file, &information)) {
            return false;
        }
        appendBytes(snapshot.identity, information.dwVolumeSerialNumber);
        appendBytes(snapshot.identity, information.nFileIndexHigh);
        appendBytes(snapshot.identity, information.nFileIndexLow);
    }
    snapshot.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
    snapshot.changeTime = basic.ChangeTime.QuadPart;
    snapshot.writeTime = basic.LastWriteTime.QuadPart;
    snapshot.attributes = basic.FileAttributes;
    snapshot.isDirectory = standard.Directory != FALSE;
    return true;
}

// Opening a directory as a file fails with ERROR_ACCESS_DENIED; whether that
// was the reason is asked of the entry.
bool isDirectoryAt(const std::wstring& path) {
    const KeepLastError kept;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

OpenResult failedOpen(const std::wstring& path) {
    const DWORD error = GetLastError();
    if (isNotFoundError(error)) {
        return OpenResult::NotFound;
    }
    if (error == ERROR_ACCESS_DENIED && isDirectoryAt(path)) {
        SetLastError(windows::kDirectoryNotSupported);
        return OpenResult::NotRegularFile;
    }
    return OpenResult::Failed;
}

// The result for a handle just opened (INVALID_HANDLE_VALUE: the open
// failed), given that only a file on a disk may be used; a device, a pipe or
// a directory is closed again. On Opened, snapshot holds what the file is.
OpenResult keepOnlyRegularFile(HANDLE handle, const std::wstring& path, FileSnapshot& snapshot) {
    if (handle == INVALID_HANDLE_VALUE) {
        return failedOpen(path);
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        SetLastError(ERROR_INVALID_FUNCTION);
        return OpenResult::NotRegularFile;
    }
    if (!readSnapshot(handle, snapshot)) {
        closeKeepingError(handle);
        return OpenResult::Failed;
    }
    if (snapshot.isDirectory) {
        CloseHandle(handle);
        SetLastError(windows::kDirectoryNotSupported);
        return OpenResult::NotRegularFile;
    }
    return OpenResult::Opened;
}

std::unique_ptr<FileState, FileStateDeleter> stateFor(HANDLE handle, std::wstring path) {
    std::unique_ptr<FileState, FileStateDeleter> state(new FileState);
    state->handle = handle;
    state->path = std::move(path);
    return state;
}

// The system path of name in directory, or of name as a whole path.
bool systemPathFor(const DirectoryHandle* directory, const std::string& name, std::wstring& path) {
    if (directory == nullptr) {
        return windows::systemPathOf(name, path);
    }
    if (directory->state() == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    return windows::entryPathOf(directory->state()->path, name, path);
}

// The longest name the directory's volume takes, in UTF-16 units; the
// largest value when the volume does not say. Asked once per directory.
std::size_t longestNameIn(DirectoryState& directory) {
    if (directory.longestName == 0) {
        DWORD longest = 0;
        directory.longestName =
            GetVolumeInformationByHandleW(directory.handle, nullptr, 0, nullptr, &longest, nullptr, nullptr, 0) &&
                    longest != 0
                ? longest
                : std::numeric_limits<std::size_t>::max();
    }
    return directory.longestName;
}

bool writeAllTo(HANDLE file, const char* data, std::size_t size) {
    while (size > 0) {
        const DWORD wanted = size < kLargestTransfer ? static_cast<DWORD>(size) : kLargestTransfer;
        DWORD written = 0;
        if (!WriteFile(file, data, wanted, &written, nullptr)) {
            return false;
        }
        if (written == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Reads up to size bytes at offset; -1 on failure, 0 at the end.
std::int64_t readAt(HANDLE file, char* buffer, std::size_t size, std::uint64_t offset) {
    OVERLAPPED position {};
    position.Offset = static_cast<DWORD>(offset);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD wanted = size < kLargestTransfer ? static_cast<DWORD>(size) : kLargestTransfer;
    DWORD count = 0;
    if (!ReadFile(file, buffer, wanted, &count, &position)) {
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    }
    return static_cast<std::int64_t>(count);
}

bool markDeletePending(FileState& state, bool pending) {
    FILE_DISPOSITION_INFO disposition {};
    disposition.DeleteFile = pending ? TRUE : FALSE;
    if (!SetFileInformationByHandle(state.handle, FileDispositionInfo, &disposition, sizeof disposition)) {
        return false;
    }
    state.deletePending = pending;
    return true;
}

// FILE_RENAME_INFO's flags (Windows 10 RS1 on), which MinGW-w64 names only
// for that target: replace an existing entry, and with POSIX semantics even
// one that another process holds open with FILE_SHARE_DELETE.
constexpr DWORD kRenameReplaceIfExists = 0x1;
constexpr DWORD kRenamePosixSemantics = 0x2;
// FileRenameInfoEx (22), named by MinGW-w64 only for that target too.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);

bool closeFile(FileHandle& file);

// Whether a flush's error says the file system has nothing to flush (a
// device or a file system without the request).
bool cannotFlush(DWORD error) {
    return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_PARAMETER;
}

// Renames the open file to target (a system path) in one step, replacing an
// entry of that name: with POSIX semantics where the system has them, else
// the classic way (older systems, Wine and file systems without them refuse
// the flags as an invalid parameter or an unsupported request), which cannot
// rename over a file that any handle holds open; replaced (the file being
// replaced, this process's own handle on it) is closed first then.
bool renameOpenFile(HANDLE file, const std::wstring& target, FileHandle* replaced) {
    const std::size_t nameBytes = target.size() * sizeof(wchar_t);
    std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(nameBytes);
    std::memcpy(rename->FileName, target.data(), nameBytes);
    // The flags share their place with the older ReplaceIfExists byte.
    const DWORD flags = kRenameReplaceIfExists | kRenamePosixSemantics;
    std::memcpy(buffer.data(), &flags, sizeof flags);
    if (SetFileInformationByHandle(file, kFileRenameInfoEx, rename, static_cast<DWORD>(buffer.size()))) {
        return true;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED && error != ERROR_INVALID_FUNCTION &&
        error != ERROR_CALL_NOT_IMPLEMENTED) {
        return false;
    }
    if (replaced != nullptr) {
        closeFile(*replaced);
    }
    std::memset(buffer.data(), 0, sizeof(DWORD));
    rename->ReplaceIfExists = TRUE;
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
}

// Copies the bytes of one open file into another, through a buffer.
bool copyAll(HANDLE from, HANDLE to) {
    std::vector<char> buffer(kBufferSize);
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &count, nullptr)) {
            return false;
        }
        if (count == 0) {
            return true;
        }
        if (!writeAllTo(to, buffer.data(), count)) {
            return false;
        }
    }
}

// Copies the named data streams of the file at from (system paths) into the
// file at to; the unnamed stream (the content) is not touched. A file system
// without named streams, or a file with none, has nothing to copy.
bool copyNamedStreams(const std::wstring& from, const std::wstring& to) {
    WIN32_FIND_STREAM_DATA stream {};
    const HANDLE streams = FindFirstStreamW(from.c_str(), FindStreamInfoStandard, &stream, 0);
    if (streams == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_HANDLE_EOF || error == ERROR_INVALID_PARAMETER || error == ERROR_INVALID_FUNCTION ||
               error == ERROR_NOT_SUPPORTED || error == ERROR_CALL_NOT_IMPLEMENTED;
    }
    bool copied = true;
    do {
        const std::wstring name = stream.cStreamName;  // ":name:$DATA", "::$DATA" for the content
        if (name == L"::$DATA") {
            continue;
        }
        const HANDLE source = CreateFileW((from + name).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (source == INVALID_HANDLE_VALUE) {
            copied = false;
            break;
        }
        const HANDLE target = CreateFileW((to + name).c_str(), GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (target == INVALID_HANDLE_VALUE) {
            closeKeepingError(source);
            copied = false;
            break;
        }
        copied = copyAll(source, target);
        const KeepLastError kept;
        CloseHandle(target);
        CloseHandle(source);
    } while (copied && FindNextStreamW(streams, &stream));
    const DWORD error = GetLastError();
    FindClose(streams);
    SetLastError(error);
    return copied && error == ERROR_HANDLE_EOF;
}

bool closeFile(FileHandle& file) {
    const std::unique_ptr<FileState, FileStateDeleter> state = file.release();
    if (state == nullptr || state->handle == INVALID_HANDLE_VALUE) {
        return true;
    }
    const HANDLE handle = state->handle;
    state->handle = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != FALSE;
}

// Removes the directory path (a system path) with everything below it; a
// link to a directory (junction or symbolic link) is removed, not followed.
bool removeTreeAt(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileExW((path + L"\\*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) {
            return false;
        }
    } else {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            const bool isDirectory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const bool isLink = (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            const bool removed = !isDirectory ? DeleteFileW(child.c_str()) != FALSE
                                 : isLink     ? RemoveDirectoryW(child.c_str()) != FALSE
                                              : removeTreeAt(child);
            if (!removed) {
                const KeepLastError kept;
                FindClose(search);
                return false;
            }
        } while (FindNextFileW(search, &entry));
        const bool complete = GetLastError() == ERROR_NO_MORE_FILES;
        {
            const KeepLastError kept;
            FindClose(search);
        }
        if (!complete) {
            return false;
        }
    }
    return RemoveDirectoryW(path.c_str()) != FALSE;
}

class WindowsFileSystem final : public FileSystem {
public:
    bool openDirectory(DirectoryHandle& directory, const std::string& path) override {
        std::wstring wide;
        std::wstring full;
        if (!windows::toWide(path, wide) || !windows::fullPathOf(wide, full)) {
            return false;
        }
        // FILE_TRAVERSE needs no more than looking a name up by its full path
        // does, and is an access that sharing applies to, so that the missing
        // FILE_SHARE_DELETE holds the directory in place.
        const HANDLE handle =
            CreateFileW(windows::longPathForm(full).c_str(), FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        BY_HANDLE_FILE_INFORMATION information {};
        if (!GetFileInformationByHandle(handle, &information)) {
            closeKeepingError(handle);
            return false;
        }
        if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            CloseHandle(handle);
            SetLastError(ERROR_DIRECTORY);
            return false;
        }
        std::unique_ptr<DirectoryState, DirectoryStateDeleter> state(new DirectoryState);
        state->handle = handle;
        state->path = std::move(full);
        directory.adopt(std::move(state), path);
        return true;
    }

    bool queryNameLimit(const DirectoryHandle& directory, std::size_t& nameBytes) override {
        if (directory.state() == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        // The volume counts UTF-16 units; a name of that many bytes of UTF-8
        // never has more units than bytes, so it always fits.
        nameBytes = longestNameIn(*directory.state());
        return true;
    }

    OpenResult openForReading(FileHandle& file, const DirectoryHandle* directory, const std::string& name,
                              FileAccess& access, FileExtent& extent, Links links) override {
        std::wstring path;
        if (!systemPathFor(directory, name, path)) {
            return isNotFoundError(GetLastError()) ? OpenResult::NotFound : OpenResult::Failed;
        }
        // A symbolic link is followed unless refused (then the link itself
        // is opened, and turned away below); GENERIC_READ includes
        // READ_CONTROL for the security descriptor.
        const DWORD flags =
            FILE_ATTRIBUTE_NORMAL | (links == Links::Refuse ? DWORD(FILE_FLAG_OPEN_REPARSE_POINT) : DWORD(0));
        const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
        FileSnapshot snapshot;
        const OpenResult result = keepOnlyRegularFile(handle, path, snapshot);
        if (result != OpenResult::Opened) {
            return result;
        }
        if (links == Links::Refuse && (snapshot.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
            CloseHandle(handle);
            SetLastError(ERROR_CANT_ACCESS_FILE);
            return OpenResult::NotRegularFile;
        }
        if (!windows::readAccess(handle, snapshot.attributes, access.data())) {
            closeKeepingError(handle);
            return OpenResult::Failed;
        }
        access.data().path = path;
        extent.size = snapshot.size;
        extent.identity = FileIdentity(snapshot.identity);
        std::unique_ptr<FileState, FileStateDeleter> state = stateFor(handle, std::move(path));
        state->opened = std::move(snapshot);
        file.adopt(std::move(state));
        return OpenResult::Opened;
    }

    CreateResult createExclusive(FileHandle& file, const DirectoryHandle* directory, const std::string& name,
                                 NewFileAccess access, RemovalOnStop* removalOnStop) override {
        std::wstring path;
        if (!systemPathFor(directory, name, path)) {
            return CreateResult::Failed;
        }
        if (directory != nullptr) {
            // Windows reports a name too long for the volume as an invalid
            // or missing name; it is told apart here.
            std::wstring wide;
            windows::toWide(name, wide);
            if (wide.size() > longestNameIn(*directory->state())) {
                SetLastError(ERROR_FILENAME_EXCED_RANGE);
                return CreateResult::NameTooLong;
            }
        }
        const bool isPrivate = access == NewFileAccess::Private;
        // A private file is the process's own, so it may give it the
        // security of the file it replaces (WRITE_DAC, WRITE_OWNER).
        const DWORD rights = GENERIC_READ | GENERIC_WRITE | DELETE | (isPrivate ? WRITE_DAC | WRITE_OWNER : 0);
        const bool removedBySystem = removalOnStop != nullptr && directory != nullptr;
        std::optional<windows::HeldStopRequests> held;
        if (removedBySystem) {
            // No stop may meet the file between its creation and its mark.
            held.emplace();
        }
        const HANDLE handle = CreateFileW(path.c_str(), rights, kShareAll,
                                          isPrivate ? windows::privateFileSecurity() : nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? CreateResult::AlreadyExists
                   : error == ERROR_FILENAME_EXCED_RANGE                     ? CreateResult::NameTooLong
                                                                             : CreateResult::Failed;
        }
        std::unique_ptr<FileState, FileStateDeleter> state = stateFor(handle, std::move(path));
        if (removedBySystem && !markDeletePending(*state, true)) {
            // A file system that refuses the mark: the file is removed by
            // name on a stop instead, and left behind by a kill.
            removalOnStop->registerEntry(*directory, name);
        }
        file.adopt(std::move(state));
        return CreateResult::Created;
    }

    OpenResult openForAppending(FileHandle& file, const std::string& path) override {
        std::wstring systemPath;
        if (!windows::systemPathOf(path, systemPath)) {
            return isNotFoundError(GetLastError()) ? OpenResult::NotFound : OpenResult::Failed;
        }
        // Append access alone: every write goes to the end, as with O_APPEND.
        const HANDLE handle =
            CreateFileW(systemPath.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | SYNCHRONIZE, kShareAll, nullptr,
                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        FileSnapshot snapshot;
        const OpenResult result = keepOnlyRegularFile(handle, systemPath, snapshot);
        if (result == OpenResult::Opened) {
            file.adopt(stateFor(handle, std::move(systemPath)));
        }
        return result;
    }

    std::int64_t read(FileHandle& file, char* buffer, std::size_t size) override {
        FileState* state = file.state();
        if (state == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return -1;
        }
        const std::int64_t count = readAt(state->handle, buffer, size, state->readPosition);
        if (count > 0) {
            state->readPosition += static_cast<std::uint64_t>(count);
        }
        return count;
    }

    bool write(FileHandle& file, const char* data, std::size_t size) override {
        if (file.state() == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        return writeAllTo(file.state()->handle, data, size);
    }

    CopyResult copy(FileHandle& source, FileHandle& destination) override {
        if (destination.state() == nullptr || source.state() == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return destination.state() == nullptr ? CopyResult::WriteFailed : CopyResult::ReadFailed;
        }
        FileState& from = *source.state();
        // The bytes the file had when it was opened: what was appended since
        // makes the file count as changed (isUnchangedAt).
        std::uint64_t remaining = from.opened.size > from.readPosition ? from.opened.size - from.readPosition : 0;
        const std::unique_ptr<char[]> buffer(new char[kBufferSize]);
        while (remaining > 0) {
            const std::size_t wanted = remaining < kBufferSize ? static_cast<std::size_t>(remaining) : kBufferSize;
            const std::int64_t count = readAt(from.handle, buffer.get(), wanted, from.readPosition);
            if (count < 0) {
                return CopyResult::ReadFailed;
            }
            if (count == 0) {
                break;  // it shrank; isUnchangedAt tells
            }
            if (!writeAllTo(destination.state()->handle, buffer.get(), static_cast<std::size_t>(count))) {
                return CopyResult::WriteFailed;
            }
            from.readPosition += static_cast<std::uint64_t>(count);
            remaining -= static_cast<std::uint64_t>(count);
        }
        return CopyResult::Copied;
    }

    bool applyAccess(FileHandle& file, const FileAccess& access) override {
        FileState* state = file.state();
        if (state == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        const FileAccessData& data = access.data();
        if (!windows::applySecurity(state->handle, data) ||
            !windows::setAttributes(state->handle, windows::carriedAttributes(data))) {
            return false;
        }
        state->readOnlyOnceInPlace = (data.attributes & FILE_ATTRIBUTE_READONLY) != 0;
        state->streamsFrom = data.path;
        return true;
    }

    OtherWriters watchForWriters(FileHandle& file) override {
        FileState* state = file.state();
        if (state == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return OtherWriters::Unknown;
        }
        if (!windows::claimForRewrite(state->handle) && GetLastError() == ERROR_LOCK_VIOLATION) {
            return OtherWriters::Rewriting;
        }
        const OtherWriters answer = windows::probeWriters(state->path);
        state->watchingWriters = answer == OtherWriters::None;
        return answer;
    }

    bool writerArrived(const FileHandle& file) override {
        const FileState* state = file.state();
        return state != nullptr && state->watchingWriters &&
               windows::probeWriters(state->path) == OtherWriters::Present;
    }

    bool isUnchangedAt(const FileHandle& file, const DirectoryHandle& directory, const std::string& name) override {
        const FileState* state = file.state();
        std::wstring path;
        if (state == nullptr || !systemPathFor(&directory, name, path)) {
            return false;
        }
        // Attribute access alone: no sharing check, so nobody is disturbed.
        const HANDLE entry =
            CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, 0, nullptr);
        if (entry == INVALID_HANDLE_VALUE) {
            return false;
        }
        FileSnapshot now;
        const bool read = readSnapshot(entry, now);
        closeKeepingError(entry);
        const FileSnapshot& then = state->opened;
        return read && now.identity == then.identity && now.size == then.size && now.changeTime == then.changeTime &&
               now.writeTime == then.writeTime;
    }

    bool close(FileHandle& file) override { return closeFile(file); }

    // Windows reports a write that does not fit (a full disk) at WriteFile;
    // the file stays open, since closing a delete-pending file removes it.
    bool finishWriting(FileHandle& file) override {
        if (file.state() == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        return true;
    }

    bool putInPlace(FileHandle& file, const DirectoryHandle& directory, const std::string& /*temporaryName*/,
                    const std::string& targetName, Placement placement, FileHandle* replaced) override {
        FileState* state = file.state();
        std::wstring target;
        if (state == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        if (!systemPathFor(&directory, targetName, target)) {
            return false;
        }
        const bool readOnly = state->readOnlyOnceInPlace;
        // A new file takes the name as it is; a replacement takes along the
        // named streams of the file it replaces.
        const std::wstring noStreams;
        const bool placed = renameIntoPlace(
            file, target, placement == Placement::Replacement ? file.state()->streamsFrom : noStreams, replaced);
        if (placed && replaced != nullptr) {
            closeFile(*replaced);
        }
        if (placed && readOnly) {
            // What the file it was made from had (a move from another
            // volume); should this fail, the failure is reported although
            // the file is in place.
            const DWORD attributes = GetFileAttributesW(target.c_str());
            if (attributes == INVALID_FILE_ATTRIBUTES ||
                !SetFileAttributesW(target.c_str(), attributes | FILE_ATTRIBUTE_READONLY)) {
                return false;
            }
        }
        return placed;
    }

    // FlushFileBuffers writes a file's data and metadata to the device and
    // has the device flush its cache; Windows offers no flush of many files
    // at once short of a whole volume's, which needs administrator rights,
    // so each file is flushed on its own.
    bool makeDurable(FileHandle* const* files, std::size_t count, std::vector<const DirectoryHandle*>&,
                     std::size_t& failed) override {
        for (std::size_t index = 0; index < count; ++index) {
            const HANDLE handle = windows::handleOf(*files[index]);
            if (handle == INVALID_HANDLE_VALUE) {
                SetLastError(ERROR_INVALID_HANDLE);
                failed = index;
                return false;
            }
            if (!FlushFileBuffers(handle) && !cannotFlush(GetLastError())) {
                failed = index;
                return false;
            }
        }
        return true;
    }

    // A rename is a change of its directory: the directory is flushed
    // through a handle of its own opened with the right to add files (what
    // FlushFileBuffers asks of a handle, and what putting a file in place
    // there needed already). The file systems that journal their metadata
    // (NTFS, ReFS) then have the rename on the device.
    bool makeNamesDurable(const DirectoryHandle& directory) override {
        const DirectoryState* const state = directory.state();
        if (state == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        const HANDLE handle = CreateFileW(windows::longPathForm(state->path).c_str(), FILE_ADD_FILE, kShareAll, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return false;
        }
        const bool flushed = FlushFileBuffers(handle) || cannotFlush(GetLastError());
        closeKeepingError(handle);
        return flushed;
    }

    // Handles are not limited the way descriptors are.
    std::size_t openFileRoom() override { return std::numeric_limits<std::size_t>::max(); }

    bool discard(FileHandle& file, const DirectoryHandle& directory, const std::string& temporaryName) override {
        FileState* state = file.state();
        if (state != nullptr && state->deletePending) {
            return closeFile(file);  // the system removes it now
        }
        closeFile(file);
        std::wstring path;
        if (!systemPathFor(&directory, temporaryName, path)) {
            return false;
        }
        return DeleteFileW(path.c_str()) || isNotFoundError(GetLastError());
    }

    StatusResult queryStatus(const std::string& path, FileStatus& status) override {
        std::wstring systemPath;
        if (!windows::systemPathOf(path, systemPath)) {
            return isNotFoundError(GetLastError()) ? StatusResult::NotFound : StatusResult::Failed;
        }
        // Attribute access opens anything, a directory too (with backup
        // semantics), and is not subject to sharing.
        const HANDLE handle = CreateFileW(systemPath.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            return isNotFoundError(GetLastError()) ? StatusResult::NotFound : StatusResult::Failed;
        }
        FileSnapshot snapshot;
        const bool read = readSnapshot(handle, snapshot);
        const bool onDisk = GetFileType(handle) == FILE_TYPE_DISK;
        closeKeepingError(handle);
        if (!read) {
            return StatusResult::Failed;
        }
        status.isDirectory = snapshot.isDirectory;
        status.isRegularFile = onDisk && !snapshot.isDirectory;
        status.size = snapshot.size;
        status.identity = FileIdentity(snapshot.identity);
        return StatusResult::Found;
    }

    bool rename(const std::string& from, const std::string& to) override {
        std::wstring source;
        std::wstring target;
        // No MOVEFILE_COPY_ALLOWED: another volume is reported
        // (ERROR_NOT_SAME_DEVICE), and the caller copies.
        return windows::systemPathOf(from, source) && windows::systemPathOf(to, target) &&
               MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    }

    bool removeFile(const std::string& path) override {
        std::wstring systemPath;
        return windows::systemPathOf(path, systemPath) && DeleteFileW(systemPath.c_str());
    }

    bool removeTree(const std::string& path) override {
        std::wstring systemPath;
        if (!windows::systemPathOf(path, systemPath)) {
            return false;
        }
        // A path given with a final separator keeps it in its system form;
        // the entries below are joined to it with one of their own.
        while (systemPath.size() > 1 && (systemPath.back() == L'\\' || systemPath.back() == L'/') &&
               systemPath[systemPath.size() - 2] != L':') {
            systemPath.pop_back();
        }
        return removeTreeAt(systemPath);
    }

private:
    // One rename through the file's own handle, after the named streams of
    // streamsFrom (when given) were copied into it.
    static bool renameIntoPlace(FileHandle& file, const std::wstring& target, const std::wstring& streamsFrom,
                                FileHandle* replaced) {
        FileState& state = *file.state();
        const windows::HeldStopRequests held;
        if (state.deletePending && !markDeletePending(state, false)) {
            return false;
        }
        // A delete-pending file's streams cannot be opened, so they are
        // copied only now, in the moment before the rename.
        if ((!streamsFrom.empty() && !copyNamedStreams(streamsFrom, state.path)) ||
            !renameOpenFile(state.handle, target, replaced)) {
            const KeepLastError kept;
            markDeletePending(state, true);
            return false;
        }
        closeFile(file);
        return true;
    }
};

}  // namespace

void FileStateDeleter::operator()(FileState* state) const noexcept {
    if (state != nullptr && state->handle != INVALID_HANDLE_VALUE) {
        CloseHandle(state->handle);
    }
    delete state;
}

void DirectoryStateDeleter::operator()(DirectoryState* state) const noexcept {
    if (state != nullptr && state->handle != INVALID_HANDLE_VALUE) {
        CloseHandle(state->handle);
    }
    delete state;
}

void FileAccessDataDeleter::operator()(FileAccessData* data) const noexcept { delete data; }

FileAccess::FileAccess() : data_(new FileAccessData) {}
FileAccess::~FileAccess() = default;
FileAccess::FileAccess(FileAccess&&) noexcept = default;
FileAccess& FileAccess::operator=(FileAccess&&) noexcept = default;

bool FileAccess::mayBeReplaced() const { return (data_->attributes & FILE_ATTRIBUTE_READONLY) == 0; }

FileSystem& realFileSystem() {
    // Never destroyed: file code may run at exit.
    static FileSystem& fileSystem = *new WindowsFileSystem;
    return fileSystem;
}

}  // namespace ostrel::platform
