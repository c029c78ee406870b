#include "util/xml/XmlEscape.h"

#include "util/StringTokenizer.h"
#include "util/Strings.h"
#include "util/Utf8Sequence.h"
#include "util/xml/Latin1Output.h"

#include <cstdint>
#include <limits>

namespace ostrel::xml {

namespace {

// Each of these arrives from the tokenizer as a token of its own; everything
// between them is ordinary text.
constexpr char kTextSpecials[] = "<>&\"\r";
constexpr char kAttributeSpecials[] = "<>&\"\t\n\r";

// The tokenizer counts in 32 bits; longer runs are cut into pieces of at most
// this size, never inside a UTF-8 sequence.
constexpr std::size_t kMaxPieceLength = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());

// The escaped form of a one-character token, or nullptr for a character
// that stays as it is in this form.
const char* replacementOf(char special, bool attributeForm) {
    switch (special) {
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '&':
        return "&amp;";
    case '\r':
        return "&#13;";
    case '"':
        return attributeForm ? "&quot;" : nullptr;
    case '\t':
        return attributeForm ? "&#9;" : nullptr;
    case '\n':
        return attributeForm ? "&#10;" : nullptr;
    default:
        return nullptr;
    }
}

void appendEscapedPiece(std::string& out, const std::string& piece, bool attributeForm) {
    StringTokenizer tokenizer(piece.c_str(), static_cast<std::int32_t>(piece.size()),
                              attributeForm ? kAttributeSpecials : kTextSpecials);
    std::string token;
    while (tokenizer.nextToken()) {
        token = tokenizer.getToken();
        const char* replacement = token.size() == 1 ? replacementOf(token[0], attributeForm) : nullptr;
        if (replacement != nullptr) {
            out += replacement;
        } else {
            removeControlCharacters(token);
            appendAsLatin1(out, token.data(), token.size());
        }
    }
}

// Removes U+FFFE and U+FFFF, which appendAsLatin1 would drop anyway, from
// the whole text first: removing one may bring the bytes of another
// together, so the search resumes just before the removed bytes.
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
            for (int step = 0; step < 3 && isUtf8ContinuationByte(static_cast<unsigned char>(text[offset + length])); ++step) {
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
    std::string source(text);
    removeControlCharacters(source);
    removeNonCharacters(source);
    return escapeXmlRun(source.data(), source.size(), attributeForm);
}

}  // namespace ostrel::xml
