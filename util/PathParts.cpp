#include "util/PathParts.h"

#include "util/platform/Platform.h"

namespace ostrel {

PathParts splitPath(const std::string& path) {
    std::string::size_type end = path.size();
    while (end > 0 && !platform::isPathSeparator(path[end - 1])) {
        --end;
    }
    return PathParts{path.substr(0, end), path.substr(end)};
}

std::string containingDirectory(const std::string& path) {
    std::string directory = splitPath(path).directory;
    if (directory.empty()) {
        return ".";
    }
    // Where '\\' separates, drives have names: "C:" alone would be that
    // drive's working directory, not its root.
    const bool hasDriveNames = platform::isPathSeparator('\\');
    std::string::size_type end = directory.size();
    while (end > 1 && platform::isPathSeparator(directory[end - 1]) &&
           !(hasDriveNames && end == 3 && directory[1] == ':')) {
        --end;
    }
    directory.resize(end);
    return directory;
}

}  // namespace ostrel
