#include "step/FileChecks.h"

#include "step/PrintableName.h"
#include "util/ErrorResolver.h"
#include "util/TemporaryName.h"
#include "util/platform/FileAccessQueries.h"
#include "util/platform/Platform.h"

#include <boost/filesystem.hpp>

#include <algorithm>
#include <map>

namespace fs = boost::filesystem;
namespace platform = ostrel::platform;

namespace {

// The length of the unique part hemwright puts after "-tmp-".
constexpr std::size_t kUniqueNameLength = 36;

std::string errorText(std::uint32_t code) { return ErrorResolver(0).resolve(code, false); }

std::string lastComponent(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Why hemwright could not read the file, or nothing.
std::optional<std::string> readProblem(const std::string& path) {
    platform::FileStatus status;
    if (platform::queryFileStatus(path, status) != platform::StatusResult::Found) {
        return errorText(platform::lastErrorCode());
    }
    if (status.isDirectory) return std::string("Is a directory");
    if (!status.isRegularFile) return std::string("Not a regular file");
    if (const std::uint32_t error = platform::readAccessError(path)) return errorText(error);
    return std::nullopt;
}

// Why hemwright could not put its new file in the place of path, or nothing.
std::optional<std::string> replaceProblem(const std::string& path) {
    if (const std::uint32_t error = platform::replaceAccessError(path)) return errorText(error);
    const std::string directory = fs::path(path).parent_path().string();
    platform::NameLimits limits;
    if (!platform::queryNameLimits(directory, limits)) return errorText(platform::lastErrorCode());
    const std::string temporary =
        ostrel::temporaryPathBeside(path, std::string(kUniqueNameLength, 'x'), limits.nameBytes);
    const std::size_t nameBytes = lastComponent(temporary).size();
    if (nameBytes > limits.nameBytes || temporary.size() > limits.pathBytes) {
        return "File name too long: the temporary file hemwright writes beside it needs a path of " +
               std::to_string(temporary.size()) + " bytes and a name of " + std::to_string(nameBytes) +
               " bytes; the directory takes at most " + std::to_string(limits.pathBytes) + " and " +
               std::to_string(limits.nameBytes);
    }
    return std::nullopt;
}

// The directory entry a path names: its directory with every link and dot
// resolved, and its own name. Two paths that give the same key are the same
// entry, which hemwright would rewrite twice.
std::string entryKey(const std::string& path) {
    const fs::path given(path);
    boost::system::error_code error;
    const fs::path directory = fs::canonical(given.parent_path(), error);
    return (error ? given.parent_path() : directory).string() + "/" + given.filename().string();
}

}  // namespace

std::vector<FileProblem> checkStepFiles(const std::vector<StepFile>& files, bool allowRepeats) {
    std::vector<FileProblem> problems;
    // Entry key -> the names it was given as, in order.
    std::map<std::string, std::vector<std::string>> listings;
    std::vector<std::string> keysInOrder;
    for (const StepFile& file : files) {
        const std::string name = printableName(file.given);
        if (const auto problem = readProblem(file.path)) {
            problems.push_back({name + ": " + *problem, kNoInputExitCode});
        } else if (const auto problem = replaceProblem(file.path)) {
            problems.push_back({name + ": " + *problem, kCannotReplaceExitCode});
        }
        const std::string key = entryKey(file.path);
        std::vector<std::string>& names = listings[key];
        if (names.empty()) keysInOrder.push_back(key);
        names.push_back(name);
    }
    if (allowRepeats) return problems;
    for (const std::string& key : keysInOrder) {
        const std::vector<std::string>& names = listings[key];
        if (names.size() < 2) continue;
        std::string message = names.front() + ": listed " + std::to_string(names.size()) + " times";
        std::vector<std::string> distinct;
        for (const std::string& name : names) {
            if (std::find(distinct.begin(), distinct.end(), name) == distinct.end()) distinct.push_back(name);
        }
        if (distinct.size() > 1) {
            message += " (as";
            for (std::size_t i = 0; i < distinct.size(); ++i) message += (i == 0 ? " " : ", ") + distinct[i];
            message += ")";
        }
        message += "; hemwright would add the texts to it each time (--allow-repeats allows that)";
        problems.push_back({message, kUsageExitCode});
    }
    return problems;
}

int exitCodeForProblems(const std::vector<FileProblem>& problems) {
    int code = kUsageExitCode;
    for (const FileProblem& problem : problems) {
        if (problem.exitCode == kNoInputExitCode) return kNoInputExitCode;
        if (problem.exitCode == kCannotReplaceExitCode) code = kCannotReplaceExitCode;
    }
    return code;
}
