#ifndef HEMWRIGHT_TESTS_SUPPORT_POWERCUT_H
#define HEMWRIGHT_TESTS_SUPPORT_POWERCUT_H

#include "util/platform/FileSystem.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// What a power cut at any moment of a run would leave, told from what the
// run asked of the file system (the way XFS showed it on a device copied at
// that moment): a file's content survives only as far as it was made
// durable (none of it otherwise: an empty file), and a rename survives once
// its directory's names were made durable; before that it may survive or be
// lost, so both are looked at. Installed in front of the file code for the
// lifetime of the object; forwards every call. One thread.
namespace testing_support {

class PowerCut final : public ostrel::platform::FileSystemWrapper {
public:
    PowerCut();

    // What a cut after the first `moment` recorded steps leaves at path,
    // with the renames not yet durable kept (renamesKept) or lost; nullopt
    // when nothing is there. before: what path held when recording began
    // (nullopt: nothing).
    std::optional<std::string> contentAfterCut(std::size_t moment, bool renamesKept, const std::string& path,
                                               const std::optional<std::string>& before) const;
    // The number of recorded steps.
    std::size_t moments() const { return steps_.size(); }

    ostrel::platform::CreateResult createExclusive(ostrel::platform::FileHandle& file,
                                                   const ostrel::platform::DirectoryHandle* directory,
                                                   const std::string& name, ostrel::platform::NewFileAccess access,
                                                   ostrel::platform::RemovalOnStop* removalOnStop) override;
    bool putInPlace(ostrel::platform::FileHandle& file, const ostrel::platform::DirectoryHandle& directory,
                    const std::string& temporaryName, const std::string& targetName,
                    ostrel::platform::Placement placement, ostrel::platform::FileHandle* replaced) override;
    bool makeDurable(ostrel::platform::FileHandle* const* files, std::size_t count,
                     std::vector<const ostrel::platform::DirectoryHandle*>& pendingNames,
                     std::size_t& failed) override;
    bool makeNamesDurable(const ostrel::platform::DirectoryHandle& directory) override;

private:
    enum class Kind { Durable, Rename, NamesDurable };
    struct Step {
        Kind kind;
        std::string file;       // the temporary file (Durable, Rename)
        std::string directory;  // Rename, NamesDurable
        std::string target;     // Rename
        std::string content;    // Rename: what the file held (no more is
                                // written once it is made durable)
    };

    std::map<const ostrel::platform::FileHandle*, std::string> paths_;
    std::vector<Step> steps_;
    ostrel::platform::ScopedFileSystem installed_;
};

}  // namespace testing_support

#endif
