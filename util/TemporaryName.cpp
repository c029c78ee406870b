#include "util/TemporaryName.h"

#include "util/PathParts.h"
#include "util/Utf8Sequence.h"

namespace ostrel {

namespace {

const char kTemporaryMarker[] = "-tmp-";

}  // namespace

std::string temporaryNameBeside(const std::string& name, const std::string& unique, std::size_t nameLimit) {
    const std::string tail = kTemporaryMarker + unique;
    if (name.empty() || name.size() + tail.size() <= nameLimit || tail.size() >= nameLimit) {
        return name + tail;
    }
    std::string::size_type cut = nameLimit - tail.size();
    while (cut > 0 && isUtf8ContinuationByte(static_cast<unsigned char>(name[cut]))) {
        --cut;
    }
    return name.substr(0, cut) + tail;
}

std::string temporaryPathBeside(const std::string& path, const std::string& unique, std::size_t nameLimit) {
    const PathParts parts = splitPath(path);
    return parts.directory + temporaryNameBeside(parts.name, unique, nameLimit);
}

}  // namespace ostrel
