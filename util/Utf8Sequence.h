#ifndef OSTREL_UTF8SEQUENCE_H
#define OSTREL_UTF8SEQUENCE_H

#include <cstddef>
#include <cstdint>

// The one UTF-8 decoder of the utility library: what the text conversions
// (Utf8ToLatin1Converter, xml::appendAsLatin1) and the code that cuts text
// without splitting a character (temporary names, escaping in pieces) ask
// about UTF-8 bytes.
namespace ostrel {

// Whether byte continues a UTF-8 sequence (10xxxxxx) rather than starting
// one.
constexpr bool isUtf8ContinuationByte(unsigned char byte) { return (byte & 0xC0u) == 0x80u; }

// The length (1 to 4) of the well-formed UTF-8 sequence at the start of the
// available bytes, with its code point in codePoint; 0 when they do not
// start one: nothing available, a continuation byte, a lead byte C0, C1 or
// F5-FF, an overlong form, an encoded surrogate, a value above U+10FFFF, or
// a sequence broken or cut off by the end of the bytes. Never fails.
std::size_t decodeUtf8Sequence(const unsigned char* bytes, std::size_t available, std::uint32_t& codePoint);

}  // namespace ostrel

#endif
