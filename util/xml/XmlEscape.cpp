#include "util/xml/XmlEscape.h"

#include "util/StringTokenizer.h"
#include "util/Strings.h"
#include "util/xml/Latin1Output.h"

#include <cstdint>
#include <limits>

namespace ostrel::xml {

namespace {

constexpr char kMarkupCharacters[] = "<>&\"";
constexpr char kCdataOpen[] = "<![CDATA[";
constexpr char kCdataClose[] = "]]>";
constexpr std::size_t kCdataOpenLength = sizeof(kCdataOpen) - 1;
constexpr std::size_t kCdataCloseLength = sizeof(kCdataClose) - 1;

// The tokenizer counts in 32 bits; longer runs are cut into pieces of at most
// this size, never inside a UTF-8 sequence.
constexpr std::size_t kMaxPieceLength = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

bool isContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0u) == 0x80u; }

void appendEscapedPiece(std::string& out, const std::string& piece, bool attributeForm) {
    StringTokenizer tokenizer(piece.c_str(), static_cast<std::int32_t>(piece.size()), kMarkupCharacters);
    std::string token;
    while (tokenizer.nextToken()) {
        token = tokenizer.getToken();
        if (token == "<") {
            out += "&lt;";
        } else if (token == ">") {
            out += "&gt;";
        } else if (token == "&") {
            out += "&amp;";
        } else if (token == "\"") {
            out += attributeForm ? "&quot;" : "\"";
        } else {
            removeControlCharacters(token);
            appendAsLatin1(out, token.data(), token.size(), Latin1Context::Markup);
        }
    }
}

// Removes U+FFFE and U+FFFF, which appendAsLatin1 would drop anyway.
// Removing one may bring a new one together, so the search resumes just
// before the removed bytes.
void removeNonCharacters(std::string& text) {
    std::size_t position = 0;
    while ((position = text.find("\xEF\xBF", position)) != std::string::npos) {
        if (position + 2 < text.size() && (text[position + 2] == '\xBE' || text[position + 2] == '\xBF')) {
            text.erase(position, 3);
            position = position >= 2 ? position - 2 : 0;
        } else {
            ++position;
        }
    }
}

void appendCdataSection(std::string& out, const char* section, std::size_t count) {
    std::string content(section, count);
    removeControlCharacters(content);
    appendAsLatin1(out, content.data(), content.size(), Latin1Context::CdataSection);
}

}  // namespace

std::string escapeXmlRun(const char* text, std::size_t count, bool attributeForm) {
    std::string out;
    out.reserve(count);
    std::size_t offset = 0;
    while (offset < count) {
        std::size_t length = count - offset;
        if (length > kMaxPieceLength) {
            length = kMaxPieceLength;
            // A UTF-8 sequence has at most three continuation bytes.
            for (int step = 0; step < 3 && isContinuationByte(text[offset + length]); ++step) {
                --length;
            }
        }
        // A copy, because the tokenizer needs a NUL right after its range.
        appendEscapedPiece(out, std::string(text + offset, length), attributeForm);
        offset += length;
    }
    return out;
}

std::string escapeXml(const char* text, bool attributeForm) {
    // What the document cannot hold is removed before the sections are
    // looked for: removed from inside a section, it could bring "]]" and ">"
    // together and end the section early, leaving the rest unescaped.
    std::string source(text);
    removeControlCharacters(source);
    removeNonCharacters(source);
    if (attributeForm) {
        return escapeXmlRun(source.data(), source.size(), true);
    }
    std::string out;
    std::size_t position = 0;
    for (;;) {
        const std::size_t open = source.find(kCdataOpen, position);
        if (open == std::string::npos) {
            break;
        }
        const std::size_t close = source.find(kCdataClose, open + kCdataOpenLength);
        if (close == std::string::npos) {
            break;
        }
        out += escapeXmlRun(source.data() + position, open - position, false);
        const std::size_t end = close + kCdataCloseLength;
        appendCdataSection(out, source.data() + open, end - open);
        position = end;
    }
    out += escapeXmlRun(source.data() + position, source.size() - position, false);
    return out;
}

}  // namespace ostrel::xml
