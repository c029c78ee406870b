#include "util/AutoDeleteFileSet.h"

#include "util/FileOperations.h"
#include "util/RetryOperation.h"

#include <algorithm>

namespace ostrel {

AutoDeleteFileSet::AutoDeleteFileSet(bool removeParentDirectories, bool enabled)
    : removeParentDirectories_(removeParentDirectories), enabled_(enabled) {}

AutoDeleteFileSet::~AutoDeleteFileSet() {
    if (!enabled_) {
        return;
    }
    // Failures are given up with a note on standard error: a destructor may
    // run while an exception is on its way out and must not throw.
    for (const std::string& path : files_) {
        retryOperation(removeFile, path, 10, 50, true);
        if (removeParentDirectories_) {
            retryOperation(removeDirectory, parentDirectory(path), 10, 100, true);
        }
    }
}

void AutoDeleteFileSet::addFile(const std::string& path) {
    if (std::find(files_.begin(), files_.end(), path) == files_.end()) {
        files_.push_back(path);
    }
}

}  // namespace ostrel
