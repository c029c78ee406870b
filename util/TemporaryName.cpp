#include "util/TemporaryName.h"

namespace ostrel {

namespace {

const char kTemporaryMarker[] = "-tmp-";

bool isUtf8Continuation(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

std::string temporaryPathBeside(const std::string& path, const std::string& unique, std::size_t nameLimit) {
    const std::string tail = kTemporaryMarker + unique;
    const std::string::size_type separator = path.find_last_of("/\\");
    const std::string::size_type nameStart = separator == std::string::npos ? 0 : separator + 1;
    const std::size_t nameLength = path.size() - nameStart;
    if (nameLength == 0 || nameLength + tail.size() <= nameLimit || tail.size() >= nameLimit) {
        return path + tail;
    }
    std::string::size_type cut = nameStart + (nameLimit - tail.size());
    while (cut > nameStart && isUtf8Continuation(path[cut])) {
        --cut;
    }
    return path.substr(0, cut) + tail;
}

}  // namespace ostrel
