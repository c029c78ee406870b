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

// The directory the path's last component lies in, as a path of its own for
// the system's calls and for messages: PathParts::directory without its
// final separators, but for the root ("/", or "C:/" where drives have names)
// which keeps one; "." for a bare name.
std::string containingDirectory(const std::string& path);

}  // namespace ostrel

#endif
