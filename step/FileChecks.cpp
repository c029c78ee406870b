#include "step/FileChecks.h"

#include "step/AddedTextChecks.h"
#include "step/CountText.h"
#include "step/DryRunPreview.h"
#include "step/FileBytes.h"
#include "step/PrintableName.h"
#include "step/ReplacementBatches.h"
#include "util/ErrorResolver.h"
#include "util/PathParts.h"
#include "util/TemporaryName.h"
#include "util/platform/FileSystem.h"
#include "util/platform/Platform.h"
#include "util/platform/posix/FileAccessQueries.h"
#include "util/platform/posix/ReplacementFacts.h"

#include <boost/filesystem.hpp>

#include <algorithm>
#include <map>

namespace fs = boost::filesystem;
namespace platform = ostrel::platform;

namespace {

// The length of the unique part hemwright puts after "-tmp-".
constexpr std::size_t kUniqueNameLength = 36;

// Why hemwright could not read the file, or nothing; status: what it is.
std::optional<std::string> readProblem(const std::string& path, platform::FileStatus& status) {
    if (platform::fileSystem().queryStatus(path, status) != platform::StatusResult::Found) return lastSystemErrorText();
    if (status.isDirectory) return std::string("Is a directory");
    if (!status.isRegularFile) return std::string("Not a regular file");
    if (const std::uint32_t error = platform::readAccessError(path)) return systemErrorTextOf(error);
    return std::nullopt;
}

// Why no new file can be put in directory, or nothing.
std::optional<std::string> directoryProblem(const std::string& directory) {
    const std::string name = "its directory " + printableName(directory);
    if (const std::uint32_t error = platform::directoryWriteError(directory)) {
        return name + " does not let this user create files: " + systemErrorTextOf(error);
    }
    switch (platform::queryChangeLock(directory)) {
        case platform::ChangeLock::Immutable: return name + " is immutable: no file can be created in it";
        case platform::ChangeLock::AppendOnly:
            return name + " is append-only: files can be added to it but none replaced";
        case platform::ChangeLock::None:
        case platform::ChangeLock::Unknown: break;  // hemwright finds out itself
    }
    return std::nullopt;
}

// Why hemwright could not put its new file in the place of path, or nothing.
std::optional<std::string> replaceProblem(const std::string& path) {
    const std::string directory = ostrel::containingDirectory(path);
    if (auto problem = directoryProblem(directory)) return problem;
    if (const std::uint32_t error = platform::replaceAccessError(path)) return systemErrorTextOf(error);
    platform::EntryFacts facts;
    if (!platform::queryEntryFacts(path, facts)) return lastSystemErrorText();
    if (facts.mountPoint) {
        return std::string("something is mounted on it (a mount point), so no file can be put in its place");
    }
    switch (platform::queryChangeLock(path)) {
        case platform::ChangeLock::Immutable: return std::string("the file is immutable: it cannot be replaced");
        case platform::ChangeLock::AppendOnly: return std::string("the file is append-only: it cannot be replaced");
        case platform::ChangeLock::None:
        case platform::ChangeLock::Unknown: break;
    }
    platform::NameLimits limits;
    if (!platform::queryNameLimits(directory, limits)) return lastSystemErrorText();
    const std::string temporary =
        ostrel::temporaryPathBeside(path, std::string(kUniqueNameLength, 'x'), limits.nameBytes);
    const std::size_t nameBytes = ostrel::splitPath(temporary).name.size();
    if (nameBytes > limits.nameBytes || temporary.size() > limits.pathBytes) {
        return "File name too long: the temporary file hemwright writes beside it needs a path of " +
               std::to_string(temporary.size()) + " bytes and a name of " + std::to_string(nameBytes) +
               " bytes; the directory takes at most " + std::to_string(limits.pathBytes) + " and " +
               std::to_string(limits.nameBytes);
    }
    return std::nullopt;
}

const char kOpenForWriting[] =
    "another process has it open for writing; hemwright leaves such a file alone, so that nothing that process "
    "writes is lost (stop the writer, or rotate the log, and run again)";

// What rewriting path would do beyond its bytes, one text each; adds a
// refusal to problem when another process writes to it or rewrites it.
std::vector<std::string> surprises(const std::string& path, std::optional<std::string>& problem) {
    std::vector<std::string> found;
    platform::EntryFacts facts;
    if (platform::queryEntryFacts(path, facts)) {
        if (facts.symbolicLink) {
            found.push_back("it is a symbolic link: it will be replaced by a regular file, and the file it points "
                            "to keeps the old content");
        }
        if (facts.otherNames > 0) {
            found.push_back("the file has " + countText(facts.otherNames, "other name") +
                            " (hard links), which will keep the old content");
        }
    }
    switch (platform::otherWritersOf(path)) {
        case platform::OtherWriters::None: break;
        case platform::OtherWriters::Present:
            problem = kOpenForWriting;
            break;
        case platform::OtherWriters::Unknown:
            found.push_back("cannot tell whether another process has it open for writing: " + lastSystemErrorText());
            break;
        case platform::OtherWriters::Rewriting:
            problem = "another process is rewriting it (or holds it locked)";
            break;
    }
    return found;
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

// The warning for a file whose owner or group the replacement changes, or
// nothing.
std::optional<std::string> ownerWarning(const std::string& path) {
    platform::OwnerChange change;
    if (!platform::queryOwnerChange(path, change)) {
        return "cannot tell whether its owner and group will be kept: " + lastSystemErrorText();
    }
    if (!change.ownerChanges && !change.groupChanges) return std::nullopt;
    std::string what;
    if (change.ownerChanges) what = "its owner will change from " + change.ownerBefore + " to " + change.ownerAfter;
    if (change.groupChanges) {
        what += std::string(what.empty() ? "its" : ", and its") + " group from " + change.groupBefore + " to " +
                change.groupAfter;
    }
    return what + " (hemwright writes a new file, which this user may not give away; run as " +
           (change.ownerChanges ? "the owner" : "a member of the group") + " or as root to keep " +
           (change.ownerChanges && change.groupChanges ? "them" : "it") + ")";
}

std::uint64_t wholeBlocks(std::uint64_t bytes, std::uint64_t blockBytes) {
    return (bytes + blockBytes - 1) / blockBytes * blockBytes;
}

// What the checks learn of a file that hemwright would replace, for the
// space its new file takes.
struct Replaced {
    std::string path;
    std::uint64_t size = 0;
    platform::FileIdentity identity;
    bool oldContentStays = false;  // other names, or the target of a symbolic link
};

// One problem per file system that lacks the room for the new files.
void checkSpace(const std::vector<Replaced>& files, const AddedText& added, std::vector<FileProblem>& problems) {
    std::map<std::string, platform::FileSystemSpace> spaceOfDirectory;
    std::map<std::uint64_t, platform::FileSystemSpace> fileSystems;  // in order of device, named by mount point
    std::vector<PlannedReplacement> planned;
    for (const Replaced& file : files) {
        const std::string directory = fs::path(file.path).parent_path().string();
        auto found = spaceOfDirectory.find(directory);
        if (found == spaceOfDirectory.end()) {
            platform::FileSystemSpace space;
            // A file system that cannot be asked is left to hemwright.
            if (!platform::queryFileSystemSpace(directory, space)) continue;
            found = spaceOfDirectory.emplace(directory, space).first;
        }
        const platform::FileSystemSpace& space = found->second;
        fileSystems.emplace(space.device, space);
        PlannedReplacement replacement;
        replacement.identity = file.identity;
        replacement.fileSystem = space.device;
        replacement.newBytes =
            wholeBlocks(file.size + added.prefix.size() + added.suffix.size(), space.blockBytes);
        replacement.freedBytes = file.oldContentStays ? 0 : wholeBlocks(file.size, space.blockBytes);
        planned.push_back(replacement);
    }
    for (const auto& [device, space] : fileSystems) {
        const std::uint64_t needed = peakBytesNeeded(planned, device);
        if (needed <= space.availableBytes) continue;
        problems.push_back({printableName(space.mountPoint) + ": not enough free space on this file system: "
                            "hemwright needs " + exactSize(needed) + " there at once (the new files it writes "
                            "beside the old ones before it puts a batch of them in place), and " +
                            exactSize(space.availableBytes) + " are free: " +
                            exactSize(needed - space.availableBytes) + " short",
                            kCannotReplaceExitCode});
    }
}

}  // namespace

FileCheckResults checkStepFiles(const StepOptions& options) {
    FileCheckResults results;
    std::vector<FileProblem>& problems = results.problems;
    const std::optional<AddedText> added = bytesHemwrightWouldAdd(options);
    const bool breaksUtf8 = added && addsBytesBeyondAscii(*added);
    const std::string beyondAscii = breaksUtf8 ? firstByteBeyondAscii(options) : "";
    const bool skipStamped = added && options.skipStamped;
    // Entry key -> the names it was given as, in order.
    std::map<std::string, std::vector<std::string>> listings;
    std::vector<std::string> keysInOrder;
    std::vector<Replaced> replaced;
    results.stamped.assign(options.files.size(), false);
    for (std::size_t index = 0; index < options.files.size(); ++index) {
        const StepFile& file = options.files[index];
        const std::string name = printableName(file.given);
        const std::string key = entryKey(file.path);
        std::vector<std::string>& names = listings[key];
        if (names.empty()) keysInOrder.push_back(key);
        names.push_back(name);

        platform::FileStatus status;
        if (const auto problem = readProblem(file.path, status)) {
            problems.push_back({name + ": " + *problem, kNoInputExitCode});
            continue;
        }
        FileEnds ends;
        if (breaksUtf8 || skipStamped) {
            try {
                ends = readFileEnds(file.path,
                                    std::max(kUtf8SniffBytes, skipStamped ? added->prefix.size() : 0),
                                    skipStamped ? added->suffix.size() : 0);
            } catch (const std::runtime_error& failure) {
                problems.push_back({name + ": " + failure.what(), kNoInputExitCode});
                continue;
            }
            if (skipStamped && isStamped(ends.size, ends.head, ends.tail, *added)) {
                // Left alone: nothing of its replacement matters.
                results.stamped[index] = true;
                continue;
            }
        }
        // A file that cannot be replaced still gets its warnings, so that
        // fixing the problem brings no new surprise.
        std::optional<std::string> refusal = replaceProblem(file.path);
        std::optional<std::string> writers;
        for (const std::string& warning : surprises(file.path, writers)) {
            results.warnings.push_back(name + ": " + warning);
        }
        if (!refusal) refusal = writers;
        if (const auto warning = ownerWarning(file.path)) results.warnings.push_back(name + ": " + *warning);
        if (breaksUtf8) {
            if (const auto look = utf8Look(ends.head.substr(0, kUtf8SniffBytes), ends.size > kUtf8SniffBytes)) {
                results.warnings.push_back(name + ": the file looks like UTF-8 (" + *look +
                                           "), but hemwright writes the added texts as single bytes (ISO 8859-1), "
                                           "some above 0x7F (" + beyondAscii + "): the file will no longer be "
                                           "valid UTF-8");
            }
        }
        if (refusal) {
            problems.push_back({name + ": " + *refusal, kCannotReplaceExitCode});
            continue;
        }
        platform::EntryFacts facts;
        const bool known = platform::queryEntryFacts(file.path, facts);
        replaced.push_back({file.path, status.size, status.identity,
                            !known || facts.symbolicLink || facts.otherNames > 0});
    }
    if (added) checkSpace(replaced, *added, problems);
    if (added) {
        for (const std::string& warning : addedTextWarnings(options)) results.warnings.push_back(warning);
    }
    if (options.allowRepeats) return results;
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
    return results;
}

int exitCodeForProblems(const std::vector<FileProblem>& problems) {
    int code = kUsageExitCode;
    for (const FileProblem& problem : problems) {
        if (problem.exitCode == kNoInputExitCode) return kNoInputExitCode;
        if (problem.exitCode == kCannotReplaceExitCode) code = kCannotReplaceExitCode;
    }
    return code;
}
