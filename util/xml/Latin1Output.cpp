#include "util/xml/Latin1Output.h"

#include "util/Utf8Sequence.h"

#include <cstdint>

namespace ostrel::xml {

namespace {

void appendCharacterReference(std::string& out, std::uint32_t codePoint) {
    out += "&#";
    out += std::to_string(codePoint);
    out += ';';
}

}  // namespace

void appendAsLatin1(std::string& out, const char* text, std::size_t count) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    out.reserve(out.size() + count);
    std::size_t index = 0;
    while (index < count) {
        const unsigned char byte = bytes[index];
        std::uint32_t codePoint = 0;
        const std::size_t length = byte < 0x80 ? 0 : decodeUtf8Sequence(bytes + index, count - index, codePoint);
        if (length == 0) {
            // ASCII, or a byte that starts no valid sequence: written as it is.
            out += static_cast<char>(byte);
            index += 1;
            continue;
        }
        if (codePoint <= 0xFF) {
            out += static_cast<char>(codePoint);
        } else if (codePoint != 0xFFFE && codePoint != 0xFFFF) {
            appendCharacterReference(out, codePoint);
        }
        index += length;
    }
}

}  // namespace ostrel::xml
