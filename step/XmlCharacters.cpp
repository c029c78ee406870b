#include "step/XmlCharacters.h"

#include <cstdint>
#include <cstdio>

namespace {

std::string hexByte(unsigned char byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

std::string codePointName(std::uint32_t codePoint) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(codePoint));
    return text;
}

bool isXmlCharacter(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

// Decodes the sequence at text[offset]; returns its length, or 0 when it is
// not well-formed UTF-8. The bounds of the second byte exclude overlong
// forms, surrogates and code points above U+10FFFF.
std::size_t decodeSequence(const std::string& text, std::size_t offset, std::uint32_t& codePoint) {
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[offset + i]); };
    const unsigned char lead = byteAt(0);
    std::size_t length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
        if (lead == 0xE0) secondLow = 0xA0;
        if (lead == 0xED) secondHigh = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
        if (lead == 0xF0) secondLow = 0x90;
        if (lead == 0xF4) secondHigh = 0x8F;
    } else {
        return 0;
    }
    if (offset + length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char low = i == 1 ? secondLow : 0x80;
        const unsigned char high = i == 1 ? secondHigh : 0xBF;
        if (byteAt(i) < low || byteAt(i) > high) return 0;
        codePoint = (codePoint << 6) | (byteAt(i) & 0x3F);
    }
    return length;
}

}  // namespace

std::optional<std::string> findXmlTextProblem(const std::string& text) {
    std::size_t offset = 0;
    while (offset < text.size()) {
        std::uint32_t codePoint = 0;
        const std::size_t length = decodeSequence(text, offset, codePoint);
        if (length == 0) {
            return "byte " + hexByte(static_cast<unsigned char>(text[offset])) + " at offset " +
                   std::to_string(offset) + " is not valid UTF-8";
        }
        if (!isXmlCharacter(codePoint)) {
            return "character " + codePointName(codePoint) + " at offset " + std::to_string(offset) +
                   " cannot appear in an XML 1.0 document";
        }
        offset += length;
    }
    return std::nullopt;
}

std::string escapeXmlCharacters(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        switch (c) {
            case '&': escaped += "&amp;"; break;
            case '<': escaped += "&lt;"; break;
            case '>': escaped += "&gt;"; break;
            case '"': escaped += "&quot;"; break;
            case '\t': escaped += "&#9;"; break;
            case '\n': escaped += "&#10;"; break;
            case '\r': escaped += "&#13;"; break;
            default: escaped += c; break;
        }
    }
    return escaped;
}
