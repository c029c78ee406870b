#include "util/Utf8ToLatin1Converter.h"

#include "util/Utf8Sequence.h"

#include <algorithm>

namespace ostrel {

namespace {

constexpr unsigned char kFirstNonAscii = 0x80;
constexpr std::uint32_t kHighestLatin1 = 0xFF;

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
    std::uint32_t codePoint = 0;
    if (decodeUtf8Sequence(reinterpret_cast<const unsigned char*>(text.data()), text.size(), codePoint) == 0) {
        lastCodePoint_ = kInvalid;
        lastInvalid_ = 1;
        return kInvalid;
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
