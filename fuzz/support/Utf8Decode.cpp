#include "Utf8Decode.h"

namespace fuzz {

std::size_t decodeUtf8(const std::string& text, std::size_t index, std::uint32_t& codePoint) {
    const auto byteAt = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned char lead = byteAt(index);
    std::size_t length = 0;
    std::uint32_t minimum = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, codePoint = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() - index < length) {
        return 0;
    }
    for (std::size_t offset = 1; offset < length; ++offset) {
        const unsigned char next = byteAt(index + offset);
        if ((next & 0xC0u) != 0x80u) {
            return 0;
        }
        codePoint = (codePoint << 6) | (next & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint < minimum || surrogate || codePoint > 0x10FFFF ? 0 : length;
}

}  // namespace fuzz
