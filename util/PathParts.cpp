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

}  // namespace ostrel
