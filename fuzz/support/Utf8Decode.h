#ifndef HEMWRIGHT_FUZZ_SUPPORT_UTF8DECODE_H
#define HEMWRIGHT_FUZZ_SUPPORT_UTF8DECODE_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// The length of the well-formed UTF-8 sequence at index (0 when malformed:
// an overlong form, a surrogate, a value above U+10FFFF or a cut-off or
// broken sequence), with its code point. REQUIRES: index < text.size().
// An independent strict decoder, so that the targets never check the code
// under test against itself.
std::size_t decodeUtf8(const std::string& text, std::size_t index, std::uint32_t& codePoint);

}  // namespace fuzz

#endif
