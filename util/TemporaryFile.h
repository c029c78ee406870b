#ifndef OSTREL_TEMPORARYFILE_H
#define OSTREL_TEMPORARYFILE_H

#include <functional>
#include <string>

#include "util/UniqueName.h"
#include "util/platform/FileHandle.h"
#include "util/platform/Signals.h"

namespace ostrel {

// A new file written beside the file it is to replace and renamed over it
// once complete, so that the target's name holds the old file or the whole
// new one at every moment. Until the rename the file is removed on every way
// out: when this object is destroyed (an exception included) and when a
// termination signal ends the process (platform::installSignalHandling). Only
// SIGKILL or a power cut can leave it behind. Not copyable; one thread.
class TemporaryFile {
public:
    TemporaryFile() = default;
    // Closes the file and removes it unless it was renamed or released.
    // Removal is retried; giving up is reported on standard error, never
    // thrown.
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // Creates the file temporaryPathBeside(target, createName()) exclusively:
    // a name that is taken already is never opened, another is tried, five
    // names in all. When the directory refuses the name as too long, the
    // target's own name part is cut to the directory's limit. Returns Created,
    // or the result of the last try (AlreadyExists or Failed, with the
    // system's code in platform::lastErrorCode()) with path() naming it.
    platform::CreateResult create(const std::string& target, platform::NewFileAccess access,
                                  const std::function<std::string()>& createName = createUniqueName);

    platform::FileHandle& file() { return file_; }
    const std::string& path() const { return path_; }

    // Closes the file; false when what was written did not reach the system.
    bool close() { return file_.close(); }

    // Renames the closed file over target (the directory entry is replaced in
    // one step; a symbolic link of that name is replaced, not followed).
    // Returns false with the system's code in platform::lastErrorCode(); the
    // file is then still removed on destruction.
    bool renameOver(const std::string& target);

    // Forgets the file after someone else moved it away.
    void release();

private:
    platform::FileHandle file_;
    std::string path_;
    platform::TerminationCleanup cleanup_;
    bool exists_ = false;
};

}  // namespace ostrel

#endif
