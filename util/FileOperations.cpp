#include "util/FileOperations.h"

#include "util/CrException.h"
#include "util/ErrorResolver.h"
#include "util/FileReplacement.h"
#include "util/ReplacementBatch.h"
#include "util/PathParts.h"
#include "util/Strings.h"
#include "util/TemporaryFile.h"
#include "util/platform/FileHandle.h"
#include "util/platform/FileSystem.h"
#include "util/platform/Platform.h"

namespace ostrel {

namespace {

bool isSeparator(char character) { return platform::isPathSeparator(character); }

// Where '\\' separates, a drive name ("C:") stands for a drive's root too.
bool hasDriveNames() { return platform::isPathSeparator('\\'); }

std::string moveFailure(const std::string& source, const std::string& destination) {
    return "Failed to move the file '" + source + "' to '" + destination + "'.";
}

// The move to another volume, where a rename is refused: the content is
// copied under a private staging name beside the destination, given what the
// source had (permission bits, owner and group where permitted, ACL, user
// attributes; holes stay holes) and renamed into place, so the destination
// name always holds either its old file or the complete new one; the source
// goes last. On failure the staging file is removed and the text after
// "Reason: " is returned; the empty text means success.
std::string moveByCopying(const std::string& source, const std::string& destination) {
    platform::FileHandle input;
    platform::FileAccess access;
    platform::FileExtent extent;
    if (input.openForReading(source, access, extent) != platform::OpenResult::Opened) {
        return lastSystemErrorText();
    }
    const PathParts target = splitPath(destination);
    platform::DirectoryHandle directory;
    if (!directory.open(target.directory)) {
        return lastSystemErrorText();
    }
    TemporaryFile staging;
    if (staging.create(directory, target.name, platform::NewFileAccess::Private) != platform::CreateResult::Created ||
        staging.file().copyRemainderFrom(input) != platform::CopyResult::Copied ||
        !staging.file().applyAccess(access) || !staging.finish()) {
        return lastSystemErrorText();
    }
    // The source goes only once its copy is on stable storage under its new
    // name.
    platform::FileHandle* const copy = &staging.file();
    if (makeNewFilesDurable(&copy, 1) != 1 || !staging.putInPlace(target.name, platform::Placement::NewFile) ||
        !platform::fileSystem().makeNamesDurable(directory)) {
        return lastSystemErrorText();
    }
    input.close();
    if (!platform::fileSystem().removeFile(source)) {
        return lastSystemErrorText();
    }
    return std::string();
}

}  // namespace

bool fileExists(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    std::string tested = path;
    if (isSeparator(tested.back())) {
        tested.pop_back();
    }
    if (tested.empty()) {
        return true;
    }
    platform::FileStatus status;
    switch (platform::fileSystem().queryStatus(tested, status)) {
        case platform::StatusResult::Found:
            return true;
        case platform::StatusResult::NotFound:
            return false;
        case platform::StatusResult::Failed:
            break;
    }
    const std::string reason = lastSystemErrorText();
    throw CrException("Failed to determine if '" + tested + "' exists. Reason: " + reason, E_FAIL);
}

bool directoryExists(const std::string& path) {
    std::string tested = path;
    while (!tested.empty() && isSeparator(tested.back())) {
        tested.pop_back();
    }
    if (hasDriveNames() && tested.size() == 2 && tested[1] == ':') {
        tested += '\\';
    }
    if (tested.empty()) {
        return false;
    }
    platform::FileStatus status;
    return platform::fileSystem().queryStatus(tested, status) == platform::StatusResult::Found && status.isDirectory;
}

bool moveFile(const std::string& source, const std::string& destination, bool overwrite) {
    platform::FileSystem& files = platform::fileSystem();
    auto failure = [&](std::uint32_t code) {
        return CrException(moveFailure(source, destination) + " Reason: " + asSentence(systemErrorTextOf(code)),
                           E_FAIL);
    };
    if (!overwrite) {
        if (!fileExists(source)) {
            throw CrException(moveFailure(source, destination) + " The source file does not exist.", E_FAIL);
        }
        platform::FileStatus from;
        platform::FileStatus to;
        if (files.queryStatus(source, from) != platform::StatusResult::Found) {
            throw failure(platform::lastErrorCode());
        }
        switch (files.queryStatus(destination, to)) {
            case platform::StatusResult::Found:
                if (from.identity == to.identity) {
                    return true;
                }
                if (!to.isDirectory) {
                    return false;
                }
                break;
            case platform::StatusResult::NotFound:
                break;
            case platform::StatusResult::Failed:
                throw failure(platform::lastErrorCode());
        }
    }
    // rename replaces an existing destination in one step (at no moment is
    // the name without a file) and leaves a file renamed onto itself, or onto
    // another of its links, alone; only when it fails is there anything to
    // find out.
    if (files.rename(source, destination)) {
        return true;
    }
    const std::uint32_t code = platform::lastErrorCode();
    if (!fileExists(source)) {
        throw CrException(moveFailure(source, destination) + " The source file does not exist.", E_FAIL);
    }
    // Only another volume is worth a copy; any other refusal would refuse the
    // copy as well, and its own cause is the better report.
    if (!platform::isCrossDeviceError(code)) {
        throw failure(code);
    }
    const std::string reason = moveByCopying(source, destination);
    if (!reason.empty()) {
        throw CrException(moveFailure(source, destination) + " Reason: " + asSentence(reason), E_FAIL);
    }
    return true;
}

void removeFile(const std::string& path) {
    if (!fileExists(path)) {
        return;
    }
    if (!platform::fileSystem().removeFile(path)) {
        throw CrException("Failed to remove the file '" + path + "'. Reason: " + asSentence(lastSystemErrorText()), E_FAIL);
    }
}

void removeDirectory(const std::string& path) {
    if (!directoryExists(path)) {
        return;
    }
    if (!platform::fileSystem().removeTree(path)) {
        throw CrException("Failed to remove the directory '" + path + "'. Reason: " + asSentence(lastSystemErrorText()),
                          E_FAIL);
    }
}

std::string parentDirectory(const std::string& path) {
    std::string parent = splitPath(path).directory;
    // A path that ends in a separator is its own directory, unchanged.
    if (hasDriveNames() && parent.size() != path.size()) {
        replaceCharacter(parent, '\\', '/');
    }
    return parent;
}

void writeFile(const std::string& path, const std::string& text, bool /*binary*/, bool append) {
    // Bytes are written as they are, in either mode: no platform's text
    // mode (CR LF line ends) applies, so output.xml holds the same bytes
    // everywhere.
    auto fail = [&path](const std::string& reason) {
        throw CrException("Failed to write to file \"" + path + "\". " + reason, E_FAIL);
    };
    if (append) {
        platform::FileHandle file;
        if (file.openForAppending(path) != platform::OpenResult::Opened || !file.writeAll(text) || !file.close()) {
            fail(lastSystemErrorText());
        }
        return;
    }
    // A replaced file is written beside its name, made durable and renamed
    // into place, so the name holds the old file or the complete new one,
    // never a cut-off text, a power cut included; whatever held the name (a
    // symbolic link, a FIFO) is replaced, never followed or opened. The new
    // file gets what a freshly created file gets. Its name is made durable
    // before this returns.
    FileReplacement replacement(path);
    if (replacement.createNewFile() != platform::CreateResult::Created || !replacement.write(text) ||
        !replacement.finishContent() || replacement.replace() != ReplaceStep::Done ||
        !replacement.makeNameDurable()) {
        fail(lastSystemErrorText());
    }
}

}  // namespace ostrel
