#include "util/xml/Latin1Output.h"

#include <cstdint>

namespace ostrel::xml {

namespace {

bool isContinuationByte(unsigned char byte) { return (byte & 0xC0u) == 0x80u; }

// The length (2 to 4) of the well-formed UTF-8 sequence at the start of
// bytes, with its code point in codePoint; 0 when the bytes there do not form
// one. The ranges of the second byte rule out overlong forms, surrogates and
// values above U+10FFFF.
std::size_t decodeMultiByteSequence(const unsigned char* bytes, std::size_t available, std::uint32_t& codePoint) {
    const unsigned char lead = bytes[0];
    std::size_t length = 0;
    unsigned char secondMin = 0x80;
    unsigned char secondMax = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0Fu;
        if (lead == 0xE0) {
            secondMin = 0xA0;
        } else if (lead == 0xED) {
            secondMax = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07u;
        if (lead == 0xF0) {
            secondMin = 0x90;
        } else if (lead == 0xF4) {
            secondMax = 0x8F;
        }
    } else {
        return 0;
    }
    if (available < length || bytes[1] < secondMin || bytes[1] > secondMax) {
        return 0;
    }
    for (std::size_t index = 1; index < length; ++index) {
        if (!isContinuationByte(bytes[index])) {
            return 0;
        }
        codePoint = (codePoint << 6) | (bytes[index] & 0x3Fu);
    }
    return length;
}

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
        const std::size_t length =
            byte < 0x80 ? 0 : decodeMultiByteSequence(bytes + index, count - index, codePoint);
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
