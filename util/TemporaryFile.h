#ifndef OSTREL_TEMPORARYFILE_H
#define OSTREL_TEMPORARYFILE_H

#include <functional>
#include <string>

#include "util/UniqueName.h"
#include "util/platform/DirectoryHandle.h"
#include "util/platform/FileHandle.h"
#include "util/platform/FileSystem.h"
#include "util/platform/StopHandling.h"

namespace ostrel {

// A new file written beside the file it is to replace, in the directory that
// file was found in, and renamed over it there once complete, so that the
// target's name holds the old file or the whole new one at every moment.
// Until the rename the file is removed on every way out: when this object is
// destroyed (an exception included) and when the process is stopped
// (platform::installStopHandling). Only a kill that cannot be caught or a
// power cut can leave it behind (and on Windows not even a kill: the file is
// removed by the system until it is put in place). Not copyable; one
// thread.
class TemporaryFile {
public:
    TemporaryFile() = default;
    // Closes the file and removes it unless it was renamed or released.
    // Removal is retried; giving up is reported on standard error, never
    // thrown.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates temporaryNameBeside(targetName, createName()) in directory
    // exclusively: a name that is taken already is never opened, another is
    // tried, five names in all. When the directory refuses the name as too
    // long, targetName is cut to the directory's limit. Returns Created, or
    // the result of the last try (AlreadyExists or Failed, with the system's
    // code in platform::lastErrorCode()) with path() naming it.
    // REQUIRES: directory stays open as long as this object lives.
    platform::CreateResult create(const platform::DirectoryHandle& directory, const std::string& targetName,
                                  platform::NewFileAccess access,
                                  const std::function<std::string()>& createName = createUniqueName);

    platform::FileHandle& file() { return file_; }
    // The file's path (its directory's path and its name), for messages.
    const std::string& path() const { return path_; }

    // Ends the writing; false when what was written did not reach the
    // system.
    bool finish() { return platform::fileSystem().finishWriting(file_); }

    // Puts the finished file in the place of targetName in its directory
    // (the entry is replaced in one step; a symbolic link of that name is
    // replaced, not followed). Returns false with the system's code in
    // platform::lastErrorCode(); the file is then still removed on
    // destruction.
    // replaced: the file it replaces, open for reading, closed with it
    // (FileSystem::putInPlace).
    bool putInPlace(const std::string& targetName, platform::Placement placement,
                    platform::FileHandle* replaced = nullptr);

private:
    void release();

    const platform::DirectoryHandle* directory_ = nullptr;
    std::string name_;
    std::string path_;
    platform::FileHandle file_;
    platform::RemovalOnStop removalOnStop_;
    bool exists_ = false;
};

}  // namespace ostrel

#endif
