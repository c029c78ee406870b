#include "util/FileOperations.h"

#include "util/CrException.h"
#include "util/ErrorResolver.h"
#include "util/Strings.h"
#include "util/UniqueName.h"
#include "util/platform/Platform.h"

#include <fstream>

#include <boost/filesystem.hpp>

namespace fs = boost::filesystem;

namespace ostrel {

namespace {

bool isSeparator(char character) { return character == '/' || character == '\\'; }

std::string moveFailure(const std::string& source, const std::string& destination) {
    return "Failed to move the file '" + source + "' to '" + destination + "'.";
}

// The move to another volume, where a rename is refused: the content is
// copied under a staging name beside the destination and renamed into place,
// so the destination name always holds either its old file or the complete
// new one; the source goes last.
void moveByCopying(const std::string& source, const std::string& destination) {
    const std::string staging = destination + "-tmp-" + createUniqueName();
    try {
        fs::copy_file(source, staging, fs::copy_options::none);
        fs::rename(staging, destination);
    } catch (const fs::filesystem_error&) {
        boost::system::error_code ignored;  // the staging copy may not exist
        fs::remove(staging, ignored);
        throw;
    }
    fs::remove(source);
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
    switch (platform::queryFileStatus(tested, status)) {
        case platform::StatusResult::Found:
            return true;
        case platform::StatusResult::NotFound:
            return false;
        case platform::StatusResult::Failed:
            break;
    }
    const std::string reason = ErrorResolver(0).resolve(platform::lastErrorCode(), false);
    throw CrException("Failed to determine if '" + tested + "' exists. Reason: " + reason, E_FAIL);
}

bool directoryExists(const std::string& path) {
    std::string tested = path;
    while (!tested.empty() && isSeparator(tested.back())) {
        tested.pop_back();
    }
    if (tested.size() == 2 && tested[1] == ':') {
        tested += '\\';
    }
    if (tested.empty()) {
        return false;
    }
    platform::FileStatus status;
    return platform::queryFileStatus(tested, status) == platform::StatusResult::Found && status.isDirectory;
}

bool moveFile(const std::string& source, const std::string& destination, bool overwrite) {
    if (!fileExists(source)) {
        throw CrException(moveFailure(source, destination) + " The source file does not exist.", E_FAIL);
    }
    try {
        if (fs::equivalent(source, destination)) {
            return true;
        }
        if (fs::exists(destination) && !fs::is_directory(destination) && !overwrite) {
            return false;
        }
        // rename replaces an existing destination in one step: at no moment
        // is the name without a file.
        try {
            fs::rename(source, destination);
        } catch (const fs::filesystem_error& error) {
            // Only another volume is worth a copy; any other refusal would
            // refuse the copy as well, and its own cause is the better report.
            if (error.code() != boost::system::errc::cross_device_link) {
                throw;
            }
            moveByCopying(source, destination);
        }
        return true;
    } catch (const fs::filesystem_error& error) {
        throw CrException(moveFailure(source, destination) + " Reason: " + error.what() + ".", E_FAIL);
    }
}

void removeFile(const std::string& path) {
    if (!fileExists(path)) {
        return;
    }
    try {
        fs::remove(path);
    } catch (const fs::filesystem_error& error) {
        throw CrException("Failed to remove the file '" + path + "'. Reason: " + error.what() + ".", E_FAIL);
    }
}

void removeDirectory(const std::string& path) {
    if (!directoryExists(path)) {
        return;
    }
    try {
        fs::remove_all(path);
    } catch (const fs::filesystem_error& error) {
        throw CrException("Failed to remove the directory '" + path + "'. Reason: " + error.what() + ".", E_FAIL);
    }
}

std::string parentDirectory(const std::string& path) {
    const std::string::size_type last = path.find_last_of("/\\");
    if (last == std::string::npos) {
        return std::string();
    }
    if (last + 1 == path.size()) {
        return path;
    }
    std::string parent = path.substr(0, last + 1);
    replaceCharacter(parent, '\\', '/');
    return parent;
}

void writeFile(const std::string& path, const std::string& text, bool binary, bool append) {
    std::ios_base::openmode mode = std::ios_base::out | (append ? std::ios_base::app : std::ios_base::trunc);
    if (binary) {
        mode |= std::ios_base::binary;
    }
    try {
        std::ofstream stream;
        stream.exceptions(std::ios_base::badbit | std::ios_base::failbit | std::ios_base::eofbit);
        stream.open(path, mode);
        stream.write(text.data(), static_cast<std::streamsize>(text.size()));
        // close flushes; a failure there (a full disk) sets failbit and throws.
        stream.close();
    } catch (const std::ios_base::failure& error) {
        throw CrException("Failed to write to file \"" + path + "\". " + error.what(), E_FAIL);
    }
}

}  // namespace ostrel
