#ifndef HEMWRIGHT_STEP_UTF8SEQUENCE_H
#define HEMWRIGHT_STEP_UTF8SEQUENCE_H

#include <cstddef>
#include <cstdint>
#include <string>

// Decodes the UTF-8 sequence that starts at text[offset] into codePoint and
// returns its length in bytes, or 0 when it is not well-formed UTF-8:
// overlong forms, surrogates, code points above U+10FFFF and sequences cut
// off by the end of text are all refused.
// REQUIRES: offset < text.size().
std::size_t decodeUtf8Sequence(const std::string& text, std::size_t offset, std::uint32_t& codePoint);

#endif
