#include "step/XmlTextProblem.h"

#include "util/Utf8ToLatin1Converter.h"

#include <cstdint>
#include <cstdio>

using ostrel::Utf8ToLatin1Converter;

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
    Utf8ToLatin1Converter decoder;
    std::size_t offset = 0;
    while (offset < text.size()) {
        const auto lead = static_cast<unsigned char>(text[offset]);
        const std::size_t length = static_cast<std::size_t>(Utf8ToLatin1Converter::sequenceLength(lead));
        const std::uint32_t codePoint = lead < 0x80 ? lead : decoder.decodeSequence(text.substr(offset, length));
        if (codePoint == Utf8ToLatin1Converter::kInvalid) {
            return XmlTextProblem{true, "byte " + hexByte(lead) + " at offset " + std::to_string(offset) +
                                            " is not valid UTF-8"};
        }
        if (!isXmlCharacter(codePoint)) {
            return XmlTextProblem{false, "character " + codePointName(codePoint) + " at offset " +
                                             std::to_string(offset) + " cannot appear in an XML 1.0 document"};
        }
        offset += length;
    }
    return std::nullopt;
}
