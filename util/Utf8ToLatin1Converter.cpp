#include "util/Utf8ToLatin1Converter.h"

#include <algorithm>

namespace ostrel {

namespace {

constexpr unsigned char kFirstNonAscii = 0x80;
constexpr std::uint32_t kHighestLatin1 = 0xFF;

bool isContinuationByte(unsigned char byte) { return byte >= 0x80 && byte <= 0xBF; }

// The smallest code point that needs a sequence of each length; a smaller
// one in that length is an overlong form.
constexpr std::uint32_t kSmallestOfLength[5] = {0, 0, 0x80, 0x800, 0x10000};

// Whether a sequence of length bytes led by first that decoded to codePoint
// is well-formed UTF-8: led by a lead byte (not a continuation byte, not
// F5-FF), not overlong, no surrogate, nothing above U+10FFFF.
bool isWellFormed(unsigned char first, std::size_t length, std::uint32_t codePoint) {
    if (isContinuationByte(first) || first > 0xF4) {
        return false;
    }
    if (codePoint < kSmallestOfLength[length]) {
        return false;
    }
    return !(codePoint >= 0xD800 && codePoint <= 0xDFFF) && codePoint <= 0x10FFFF;
}

}  // namespace

int Utf8ToLatin1Converter::sequenceLength(unsigned char firstByte) {
    if (firstByte <= 0x7F) {
        return 1;
    }
    if (firstByte >= 0xC0 && firstByte <= 0xDF) {
        return 2;
    }
    if (firstByte >= 0xE0 && firstByte <= 0xEF) {
        return 3;
    }
    // Four-byte leads, and also stray continuation bytes and the bytes that
    // never start a sequence: a malformed start takes up to four bytes with it
    // and yields a single '?'.
    return 4;
}

std::uint32_t Utf8ToLatin1Converter::decodeSequence(const std::string& text) {
    lastCodePoint_ = kInvalid;
    lastInvalid_ = 1;
    if (text.empty()) {
        return kInvalid;
    }
    const auto byteAt = [&text](std::size_t index) { return static_cast<unsigned char>(text[index]); };
    const unsigned char first = byteAt(0);
    std::uint32_t codePoint = 0;
    if (first < kFirstNonAscii) {
        codePoint = first;
    } else {
        const std::size_t length = static_cast<std::size_t>(sequenceLength(first));
        if (text.size() < length) {
            return kInvalid;
        }
        for (std::size_t index = 1; index < length; ++index) {
            if (!isContinuationByte(byteAt(index))) {
                return kInvalid;
            }
        }
        switch (length) {
        case 2:
            codePoint = (first & 0x1Fu) << 6 | (byteAt(1) & 0x3Fu);
            break;
        case 3:
            codePoint = (first & 0x0Fu) << 12 | (byteAt(1) & 0x3Fu) << 6 | (byteAt(2) & 0x3Fu);
            break;
        default:
            codePoint = (first & 0x07u) << 18 | (byteAt(1) & 0x3Fu) << 12 | (byteAt(2) & 0x3Fu) << 6 |
                        (byteAt(3) & 0x3Fu);
            break;
        }
        if (!isWellFormed(first, length, codePoint)) {
            return kInvalid;
        }
    }
    lastCodePoint_ = codePoint;
    lastInvalid_ = 0;
    return codePoint;
}

std::string Utf8ToLatin1Converter::convert(const std::string& text) {
    replacementCount = 0;
    std::string result;
    result.reserve(text.size());
    std::size_t index = 0;
    while (index < text.size()) {
        const unsigned char byte = static_cast<unsigned char>(text[index]);
        if (byte < kFirstNonAscii) {
            result += static_cast<char>(byte);
            ++index;
            continue;
        }
        const std::size_t length = static_cast<std::size_t>(sequenceLength(byte));
        const std::uint32_t codePoint = decodeSequence(text.substr(index, length));
        if (codePoint > kHighestLatin1) {
            result += '?';
            ++replacementCount;
        } else {
            result += static_cast<char>(codePoint);
        }
        index = std::min(index + length, text.size());
    }
    return result;
}

}  // namespace ostrel
