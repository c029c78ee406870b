#include "step/XmlCharacters.h"

#include "step/Utf8Sequence.h"

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

}  // namespace

std::optional<XmlTextProblem> findXmlTextProblem(const std::string& text) {
    std::size_t offset = 0;
    while (offset < text.size()) {
        std::uint32_t codePoint = 0;
        const std::size_t length = decodeUtf8Sequence(text, offset, codePoint);
        if (length == 0) {
            return XmlTextProblem{true, "byte " + hexByte(static_cast<unsigned char>(text[offset])) + " at offset " +
                   std::to_string(offset) + " is not valid UTF-8"};
        }
        if (!isXmlCharacter(codePoint)) {
            return XmlTextProblem{false, "character " + codePointName(codePoint) + " at offset " + std::to_string(offset) +
                   " cannot appear in an XML 1.0 document"};
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
