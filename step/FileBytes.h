#ifndef HEMWRIGHT_STEP_FILEBYTES_H
#define HEMWRIGHT_STEP_FILEBYTES_H

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

// Reads exactly count bytes at offset of in; throws std::runtime_error
// ("read error") when they cannot all be read.
std::string readRange(std::ifstream& in, std::uintmax_t offset, std::size_t count);

// The first and last bytes of the file at path that a check looks at: at
// most headCount from its start and tailCount before its end. Throws
// std::runtime_error with the reason when the file cannot be read.
struct FileEnds {
    std::uintmax_t size = 0;
    std::string head;
    std::string tail;
};
FileEnds readFileEnds(const std::string& path, std::size_t headCount, std::size_t tailCount);

#endif
