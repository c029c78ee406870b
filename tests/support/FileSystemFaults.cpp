#include "tests/support/FileSystemFaults.h"

#include "tests/support/SystemErrors.h"
#include "util/platform/Platform.h"

#include <algorithm>
#include <vector>

namespace testing_support {

namespace platform = ostrel::platform;

namespace {

// Leaves error's code as the last error; for the failing branches.
template <typename Result>
Result failWith(SystemError error, Result result) {
    platform::setLastErrorCode(systemErrorCode(error));
    return result;
}

}  // namespace

FileSystemFaults::FileSystemFaults(FileSystemFault fault, std::uint64_t room)
    : FileSystemWrapper(platform::fileSystem()), fault_(fault), room_(room), installed_(*this) {}

platform::CreateResult FileSystemFaults::createExclusive(platform::FileHandle& file,
                                                         const platform::DirectoryHandle* directory,
                                                         const std::string& name, platform::NewFileAccess access,
                                                         platform::RemovalOnStop* removalOnStop) {
    if (fault_ == FileSystemFault::CreateFails) {
        return failWith(SystemError::AccessDenied, platform::CreateResult::Failed);
    }
    return target().createExclusive(file, directory, name, access, removalOnStop);
}

platform::OpenResult FileSystemFaults::openForAppending(platform::FileHandle& file, const std::string& path) {
    if (fault_ == FileSystemFault::CreateFails) {
        return failWith(SystemError::AccessDenied, platform::OpenResult::Failed);
    }
    return target().openForAppending(file, path);
}

std::int64_t FileSystemFaults::read(platform::FileHandle& file, char* buffer, std::size_t size) {
    if (fault_ == FileSystemFault::ReadFails) {
        return failWith(SystemError::InputOutput, std::int64_t{-1});
    }
    return target().read(file, buffer, size);
}

bool FileSystemFaults::write(platform::FileHandle& file, const char* data, std::size_t size) {
    if (fault_ != FileSystemFault::DiskFull) {
        return target().write(file, data, size);
    }
    if (size <= room_) {
        room_ -= size;
        return target().write(file, data, size);
    }
    // What fits is written, as a system writes part before it runs out.
    const std::size_t fits = static_cast<std::size_t>(room_);
    room_ = 0;
    if (fits > 0 && !target().write(file, data, fits)) {
        return false;
    }
    return failWith(SystemError::DiskFull, false);
}

platform::CopyResult FileSystemFaults::copy(platform::FileHandle& source, platform::FileHandle& destination) {
    if (fault_ == FileSystemFault::ReadFails) {
        return failWith(SystemError::InputOutput, platform::CopyResult::ReadFailed);
    }
    if (fault_ != FileSystemFault::DiskFull) {
        return target().copy(source, destination);
    }
    // Through a buffer, so that the disk fills up part way, as it would
    // under the platform's own copy.
    std::vector<char> buffer(64 << 10);
    for (;;) {
        const std::int64_t count = target().read(source, buffer.data(), buffer.size());
        if (count < 0) {
            return platform::CopyResult::ReadFailed;
        }
        if (count == 0) {
            return platform::CopyResult::Copied;
        }
        if (!write(destination, buffer.data(), static_cast<std::size_t>(count))) {
            return platform::CopyResult::WriteFailed;
        }
    }
}

bool FileSystemFaults::finishWriting(platform::FileHandle& file) {
    const bool finished = target().finishWriting(file);
    if (fault_ == FileSystemFault::FinishWritingFails) {
        return failWith(SystemError::InputOutput, false);
    }
    return finished;
}

bool FileSystemFaults::putInPlace(platform::FileHandle& file, const platform::DirectoryHandle& directory,
                                  const std::string& temporaryName, const std::string& targetName,
                                  platform::Placement placement, platform::FileHandle* replaced) {
    if (fault_ == FileSystemFault::PutInPlaceRefused) {
        return failWith(SystemError::Busy, false);
    }
    return target().putInPlace(file, directory, temporaryName, targetName, placement, replaced);
}

platform::OtherWriters FileSystemFaults::watchForWriters(platform::FileHandle& file) {
    if (fault_ == FileSystemFault::WritersUnknown) {
        return platform::OtherWriters::Unknown;
    }
    return target().watchForWriters(file);
}

bool FileSystemFaults::rename(const std::string& from, const std::string& to) {
    if (fault_ == FileSystemFault::RenameAcrossVolumes) {
        return failWith(SystemError::CrossDevice, false);
    }
    return target().rename(from, to);
}

bool FileSystemFaults::makeDurable(platform::FileHandle* const* files, std::size_t count,
                                   std::vector<const platform::DirectoryHandle*>& pendingNames, std::size_t& failed) {
    if (fault_ != FileSystemFault::FlushFails || count <= room_) {
        return target().makeDurable(files, count, pendingNames, failed);
    }
    const std::size_t flushed = static_cast<std::size_t>(room_);
    if (flushed > 0 && !target().makeDurable(files, flushed, pendingNames, failed)) {
        return false;
    }
    failed = flushed;
    return failWith(SystemError::InputOutput, false);
}

bool FileSystemFaults::makeNamesDurable(const platform::DirectoryHandle& directory) {
    if (fault_ == FileSystemFault::NamesFlushFails) {
        return failWith(SystemError::InputOutput, false);
    }
    return target().makeNamesDurable(directory);
}

}  // namespace testing_support
