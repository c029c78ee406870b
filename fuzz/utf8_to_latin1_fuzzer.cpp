// Utf8ToLatin1Converter: one output byte per character or malformed
// sequence, and for valid UTF-8 exactly one per code point.
#include "support/FuzzCheck.h"
#include "support/Utf8Decode.h"
#include "util/Utf8ToLatin1Converter.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace {

// The code points of well-formed UTF-8 text and how many lie above U+00FF;
// false when text is not well formed.
bool decodeValidUtf8(const std::string& text, std::size_t& codePoints, std::size_t& aboveLatin1) {
    codePoints = 0;
    aboveLatin1 = 0;
    std::size_t index = 0;
    while (index < text.size()) {
        std::uint32_t codePoint = 0;
        const std::size_t length = fuzz::decodeUtf8(text, index, codePoint);
        if (length == 0) {
            return false;
        }
        ++codePoints;
        aboveLatin1 += codePoint > 0xFF ? 1 : 0;
        index += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ostrel::Utf8ToLatin1Converter converter;
    // A leftover count from an earlier call must not leak into this one.
    converter.replacementCount = 12345;
    const std::string output = converter.convert(text);
    if (output.size() > text.size()) {
        fuzz::failProperty("output of " + std::to_string(output.size()) + " bytes for " +
                           std::to_string(text.size()) + " input bytes: " + fuzz::quoteBytes(text));
    }
    if (converter.replacementCount < 0 || static_cast<std::size_t>(converter.replacementCount) > output.size()) {
        fuzz::failProperty("replacement count " + std::to_string(converter.replacementCount) + " for " +
                           fuzz::quoteBytes(text));
    }
    std::size_t codePoints = 0;
    std::size_t aboveLatin1 = 0;
    if (!decodeValidUtf8(text, codePoints, aboveLatin1)) {
        return 0;
    }
    if (output.size() != codePoints || static_cast<std::size_t>(converter.replacementCount) != aboveLatin1) {
        fuzz::failProperty("valid UTF-8 " + fuzz::quoteBytes(text) + " with " + std::to_string(codePoints) +
                           " code points (" + std::to_string(aboveLatin1) + " above U+00FF) gave " +
                           fuzz::quoteBytes(output) + " with " + std::to_string(converter.replacementCount) +
                           " replacements");
    }
    return 0;
}
