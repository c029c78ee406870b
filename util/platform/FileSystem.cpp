#include "util/platform/FileSystem.h"

namespace ostrel::platform {

namespace {

FileSystem* installed = nullptr;

}  // namespace

FileSystem& fileSystem() { return installed != nullptr ? *installed : realFileSystem(); }

ScopedFileSystem::ScopedFileSystem(FileSystem& fileSystem) : previous_(installed) { installed = &fileSystem; }

ScopedFileSystem::~ScopedFileSystem() { installed = previous_; }

bool FileSystemWrapper::openDirectory(DirectoryHandle& directory, const std::string& path) {
    return target_.openDirectory(directory, path);
}

bool FileSystemWrapper::queryNameLimit(const DirectoryHandle& directory, std::size_t& nameBytes) {
    return target_.queryNameLimit(directory, nameBytes);
}

OpenResult FileSystemWrapper::openForReading(FileHandle& file, const DirectoryHandle* directory,
                                             const std::string& name, FileAccess& access, FileExtent& extent,
                                             Links links) {
    return target_.openForReading(file, directory, name, access, extent, links);
}

CreateResult FileSystemWrapper::createExclusive(FileHandle& file, const DirectoryHandle* directory,
                                                const std::string& name, NewFileAccess access,
                                                RemovalOnStop* removalOnStop) {
    return target_.createExclusive(file, directory, name, access, removalOnStop);
}

OpenResult FileSystemWrapper::openForAppending(FileHandle& file, const std::string& path) {
    return target_.openForAppending(file, path);
}

std::int64_t FileSystemWrapper::read(FileHandle& file, char* buffer, std::size_t size) {
    return target_.read(file, buffer, size);
}

bool FileSystemWrapper::write(FileHandle& file, const char* data, std::size_t size) {
    return target_.write(file, data, size);
}

CopyResult FileSystemWrapper::copy(FileHandle& source, FileHandle& destination) {
    return target_.copy(source, destination);
}

bool FileSystemWrapper::applyAccess(FileHandle& file, const FileAccess& access) {
    return target_.applyAccess(file, access);
}

OtherWriters FileSystemWrapper::watchForWriters(FileHandle& file) { return target_.watchForWriters(file); }

bool FileSystemWrapper::writerArrived(const FileHandle& file) { return target_.writerArrived(file); }

bool FileSystemWrapper::isUnchangedAt(const FileHandle& file, const DirectoryHandle& directory,
                                      const std::string& name) {
    return target_.isUnchangedAt(file, directory, name);
}

bool FileSystemWrapper::close(FileHandle& file) { return target_.close(file); }

bool FileSystemWrapper::finishWriting(FileHandle& file) { return target_.finishWriting(file); }

bool FileSystemWrapper::putInPlace(FileHandle& file, const DirectoryHandle& directory,
                                   const std::string& temporaryName, const std::string& targetName,
                                   Placement placement, FileHandle* replaced) {
    return target_.putInPlace(file, directory, temporaryName, targetName, placement, replaced);
}

bool FileSystemWrapper::discard(FileHandle& file, const DirectoryHandle& directory,
                                const std::string& temporaryName) {
    return target_.discard(file, directory, temporaryName);
}

StatusResult FileSystemWrapper::queryStatus(const std::string& path, FileStatus& status) {
    return target_.queryStatus(path, status);
}

bool FileSystemWrapper::rename(const std::string& from, const std::string& to) { return target_.rename(from, to); }

bool FileSystemWrapper::removeFile(const std::string& path) { return target_.removeFile(path); }

bool FileSystemWrapper::removeTree(const std::string& path) { return target_.removeTree(path); }

bool FileSystemWrapper::makeDurable(FileHandle* const* files, std::size_t count,
                                    std::vector<const DirectoryHandle*>& pendingNames, std::size_t& failed) {
    return target_.makeDurable(files, count, pendingNames, failed);
}

bool FileSystemWrapper::makeNamesDurable(const DirectoryHandle& directory) {
    return target_.makeNamesDurable(directory);
}

std::size_t FileSystemWrapper::openFileRoom() { return target_.openFileRoom(); }

}  // namespace ostrel::platform
