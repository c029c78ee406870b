#include "step/PrintableName.h"

#include "util/Utf8ToLatin1Converter.h"

#include <cstdio>

using ostrel::Utf8ToLatin1Converter;

namespace {

void appendHexBytes(std::string& out, const std::string& bytes) {
    for (const char c : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
        out += hex;
    }
}

bool isControlCharacter(std::uint32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

}  // namespace

std::string printableName(const std::string& name) {
    Utf8ToLatin1Converter decoder;
    std::string printable;
    printable.reserve(name.size());
    std::size_t offset = 0;
    while (offset < name.size()) {
        const auto lead = static_cast<unsigned char>(name[offset]);
        const std::size_t length = static_cast<std::size_t>(Utf8ToLatin1Converter::sequenceLength(lead));
        const std::uint32_t codePoint = lead < 0x80 ? lead : decoder.decodeSequence(name.substr(offset, length));
        if (codePoint == Utf8ToLatin1Converter::kInvalid) {
            appendHexBytes(printable, name.substr(offset, 1));
            ++offset;
            continue;
        }
        switch (codePoint) {
            case '\\': printable += "\\\\"; break;
            case '\t': printable += "\\t"; break;
            case '\n': printable += "\\n"; break;
            case '\r': printable += "\\r"; break;
            default:
                if (isControlCharacter(codePoint)) {
                    appendHexBytes(printable, name.substr(offset, length));
                } else {
                    printable.append(name, offset, length);
                }
        }
        offset += length;
    }
    return printable;
}
