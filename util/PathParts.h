#ifndef OSTREL_PATHPARTS_H
#define OSTREL_PATHPARTS_H

#include <string>

namespace ostrel {

// A path cut at its last separator (platform::isPathSeparator: '/' alone on
// POSIX systems, where '\' is part of a name).
struct PathParts {
    // Everything up to and including the last separator ("/" for a file in
    // the root); empty for a bare name, which lies in the working directory.
    std::string directory;
    // What follows the last separator; empty when the path ends in one.
    std::string name;
};

PathParts splitPath(const std::string& path);

}  // namespace ostrel

#endif
