#include "util/Utf8Sequence.h"

namespace ostrel {

std::size_t decodeUtf8Sequence(const unsigned char* bytes, std::size_t available, std::uint32_t& codePoint) {
    if (available == 0) {
        return 0;
    }
    const unsigned char lead = bytes[0];
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    // The ranges of the second byte rule out overlong forms, surrogates and
    // values above U+10FFFF.
    std::size_t length = 0;
    unsigned char secondMin = 0x80;
    unsigned char secondMax = 0xBF;
    std::uint32_t value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0Fu;
        if (lead == 0xE0) {
            secondMin = 0xA0;
        } else if (lead == 0xED) {
            secondMax = 0x9F;
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07u;
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
        if (!isUtf8ContinuationByte(bytes[index])) {
            return 0;
        }
        value = (value << 6) | (bytes[index] & 0x3Fu);
    }
    codePoint = value;
    return length;
}

}  // namespace ostrel
