#include "tests/support/PowerCut.h"

#include "tests/support/TestFiles.h"

#include <algorithm>

namespace testing_support {

namespace platform = ostrel::platform;

PowerCut::PowerCut() : FileSystemWrapper(platform::fileSystem()), installed_(*this) {}

platform::CreateResult PowerCut::createExclusive(platform::FileHandle& file, const platform::DirectoryHandle* directory,
                                                 const std::string& name, platform::NewFileAccess access,
                                                 platform::RemovalOnStop* removalOnStop) {
    const platform::CreateResult result = target().createExclusive(file, directory, name, access, removalOnStop);
    if (result == platform::CreateResult::Created && directory != nullptr) {
        paths_[&file] = directory->pathOf(name);
    }
    return result;
}

bool PowerCut::putInPlace(platform::FileHandle& file, const platform::DirectoryHandle& directory,
                          const std::string& temporaryName, const std::string& targetName,
                          platform::Placement placement, platform::FileHandle* replaced) {
    const std::string temporary = paths_[&file];
    if (!target().putInPlace(file, directory, temporaryName, targetName, placement, replaced)) {
        return false;
    }
    // Read under its new name: a temporary file may be one that no other
    // open reaches (delete-pending on Windows).
    const std::string target = directory.pathOf(targetName);
    steps_.push_back({Kind::Rename, temporary, directory.path(), target, readBytes(target)});
    return true;
}

bool PowerCut::makeDurable(platform::FileHandle* const* files, std::size_t count,
                           std::vector<const platform::DirectoryHandle*>& pendingNames, std::size_t& failed) {
    const std::vector<const platform::DirectoryHandle*> before = pendingNames;
    const bool durable = target().makeDurable(files, count, pendingNames, failed);
    const std::size_t flushed = durable ? count : failed;
    for (std::size_t index = 0; index < flushed; ++index) {
        const std::string& path = paths_[files[index]];
        steps_.push_back({Kind::Durable, path, std::string(), std::string(), std::string()});
    }
    for (const platform::DirectoryHandle* directory : before) {
        if (std::find(pendingNames.begin(), pendingNames.end(), directory) == pendingNames.end()) {
            steps_.push_back({Kind::NamesDurable, std::string(), directory->path(), std::string(), std::string()});
        }
    }
    return durable;
}

bool PowerCut::makeNamesDurable(const platform::DirectoryHandle& directory) {
    if (!target().makeNamesDurable(directory)) {
        return false;
    }
    steps_.push_back({Kind::NamesDurable, std::string(), directory.path(), std::string(), std::string()});
    return true;
}

std::optional<std::string> PowerCut::contentAfterCut(std::size_t moment, bool renamesKept, const std::string& path,
                                                     const std::optional<std::string>& before) const {
    // The renames onto path in order, each with whether it is durable by
    // the moment of the cut.
    std::optional<std::string> content = before;
    std::vector<std::pair<std::string, bool>> renames;  // temporary file, durable
    std::vector<std::string> renamedIn;                 // their directories
    std::vector<std::string> contents;                  // what they held
    for (std::size_t index = 0; index < moment && index < steps_.size(); ++index) {
        const Step& step = steps_[index];
        if (step.kind == Kind::Rename && step.target == path) {
            renames.emplace_back(step.file, false);
            renamedIn.push_back(step.directory);
            contents.push_back(step.content);
        } else if (step.kind == Kind::NamesDurable) {
            for (std::size_t rename = 0; rename < renames.size(); ++rename) {
                if (renamedIn[rename] == step.directory) {
                    renames[rename].second = true;
                }
            }
        }
    }
    for (std::size_t rename = 0; rename < renames.size(); ++rename) {
        if (!renames[rename].second && !renamesKept) {
            continue;
        }
        // What survives of the renamed file: its content when it was made
        // durable before the cut, nothing otherwise.
        bool durable = false;
        for (std::size_t index = 0; index < moment && index < steps_.size(); ++index) {
            durable = durable || (steps_[index].kind == Kind::Durable && steps_[index].file == renames[rename].first);
        }
        content = durable ? contents[rename] : std::string();
    }
    return content;
}

}  // namespace testing_support
