// The platform-neutral side of FileHandle: every operation goes to the file
// system in use, which keeps the platform's record of the open file.
#include "util/platform/FileHandle.h"

#include "util/platform/FileSystem.h"

namespace ostrel::platform {

FileHandle::FileHandle() = default;

FileHandle::~FileHandle() {
    if (state_) {
        fileSystem().close(*this);
    }
}

FileHandle::FileHandle(FileHandle&& other) noexcept = default;

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        if (state_) {
            fileSystem().close(*this);
        }
        state_ = std::move(other.state_);
    }
    return *this;
}

OpenResult FileHandle::openForReading(const DirectoryHandle& directory, const std::string& name,
                                      FileAccess& access, FileExtent& extent, Links links) {
    close();
    return fileSystem().openForReading(*this, &directory, name, access, extent, links);
}

OpenResult FileHandle::openForReading(const std::string& path, FileAccess& access, FileExtent& extent) {
    close();
    return fileSystem().openForReading(*this, nullptr, path, access, extent, Links::Follow);
}

CreateResult FileHandle::createExclusive(const DirectoryHandle& directory, const std::string& name,
                                         NewFileAccess access, RemovalOnStop* removalOnStop) {
    close();
    return fileSystem().createExclusive(*this, &directory, name, access, removalOnStop);
}

CreateResult FileHandle::createExclusive(const std::string& path, NewFileAccess access) {
    close();
    return fileSystem().createExclusive(*this, nullptr, path, access, nullptr);
}

OpenResult FileHandle::openForAppending(const std::string& path) {
    close();
    return fileSystem().openForAppending(*this, path);
}

std::int64_t FileHandle::readSome(char* buffer, std::size_t size) { return fileSystem().read(*this, buffer, size); }

bool FileHandle::writeAll(const char* data, std::size_t size) { return fileSystem().write(*this, data, size); }

CopyResult FileHandle::copyRemainderFrom(FileHandle& source) { return fileSystem().copy(source, *this); }

bool FileHandle::applyAccess(const FileAccess& access) { return fileSystem().applyAccess(*this, access); }

OtherWriters FileHandle::watchForWriters() { return fileSystem().watchForWriters(*this); }

bool FileHandle::writerArrived() const { return fileSystem().writerArrived(*this); }

bool FileHandle::isUnchangedAt(const DirectoryHandle& directory, const std::string& name) const {
    return fileSystem().isUnchangedAt(*this, directory, name);
}

bool FileHandle::close() { return !state_ || fileSystem().close(*this); }

}  // namespace ostrel::platform
