#include "step/FileBytes.h"

#include "util/ErrorResolver.h"

#include <algorithm>
#include <stdexcept>

std::string readRange(std::ifstream& in, std::uintmax_t offset, std::size_t count) {
    std::string bytes(count, '\0');
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(&bytes[0], static_cast<std::streamsize>(count));
    if (in.bad() || static_cast<std::size_t>(in.gcount()) != count) {
        throw std::runtime_error("read error");
    }
    return bytes;
}

FileEnds readFileEnds(const std::string& path, std::size_t headCount, std::size_t tailCount) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) throw std::runtime_error(lastSystemErrorText());
    FileEnds ends;
    const std::streamoff end = in.tellg();
    if (end < 0) throw std::runtime_error("cannot tell its size");
    ends.size = static_cast<std::uintmax_t>(end);
    ends.head = readRange(in, 0, static_cast<std::size_t>(std::min<std::uintmax_t>(headCount, ends.size)));
    const std::size_t tail = static_cast<std::size_t>(std::min<std::uintmax_t>(tailCount, ends.size));
    ends.tail = readRange(in, ends.size - tail, tail);
    return ends;
}
