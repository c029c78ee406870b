#ifndef OSTREL_UTF8TOLATIN1CONVERTER_H
#define OSTREL_UTF8TOLATIN1CONVERTER_H

#include <cstdint>
#include <string>

namespace ostrel {

// Converts UTF-8 text to single-byte (ISO 8859-1) text: one byte per
// character, '?' for a character above U+00FF and one '?' for every
// malformed sequence (a stray continuation byte, a lead byte F5-FF, an
// overlong form, an encoded surrogate, a value above U+10FFFF, a broken or
// cut-off sequence), each counted. A malformed sequence takes as many bytes
// as its first byte announces (sequenceLength), or the rest of the text.
// Never fails.
class Utf8ToLatin1Converter {
public:
    static constexpr std::uint32_t kInvalid = 0xFFFFFFFFu;

    // Resets replacementCount and converts text.
    std::string convert(const std::string& text);

    // 1 for bytes up to 7F, 2 for C0-DF, 3 for E0-EF, 4 for every other byte.
    static int sequenceLength(unsigned char firstByte);

    // The code point of the well-formed sequence at the start of text, or
    // kInvalid.
    std::uint32_t decodeSequence(const std::string& text);

    // How many characters the last convert replaced by '?'.
    int replacementCount = 0;

private:
    std::uint32_t lastCodePoint_ = kInvalid;
    int lastInvalid_ = 0;
};

}  // namespace ostrel

#endif
