#include "step/AddedTextChecks.h"

#include "step/CountText.h"
#include "step/PrintableName.h"
#include "util/Utf8ToLatin1Converter.h"

#include <algorithm>
#include <cstdio>

using ostrel::Utf8ToLatin1Converter;

namespace {

// The most characters a warning names.
constexpr std::size_t kNamedCharacters = 8;

const std::string kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Calls visit(codePoint, sequence) for each character beyond ASCII of text
// (checked UTF-8) until it returns true; whether one did.
template <typename Visit>
bool findCharacter(const std::string& text, const Visit& visit) {
    Utf8ToLatin1Converter decoder;
    for (std::size_t offset = 0; offset < text.size();) {
        const auto lead = static_cast<unsigned char>(text[offset]);
        const std::size_t length = std::min<std::size_t>(
            static_cast<std::size_t>(Utf8ToLatin1Converter::sequenceLength(lead)), text.size() - offset);
        const std::string sequence = text.substr(offset, length);
        offset += length;
        if (lead >= 0x80 && visit(decoder.decodeSequence(sequence), sequence)) return true;
    }
    return false;
}

// "2 characters of the text to prepend will be written as '?', ...: U+2192
// →, U+2713 ✓" (which: "prepend" or "append"), or nothing when every
// character fits in a single byte.
std::optional<std::string> lostCharacters(const std::string& text, const std::string& which) {
    std::size_t lost = 0;
    std::vector<std::string> named;
    findCharacter(text, [&](std::uint32_t codePoint, const std::string& sequence) {
        if (codePoint <= 0xFF) return false;
        ++lost;
        char code[16];
        std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(codePoint));
        const std::string name = std::string(code) + " " + printableName(sequence);
        if (std::find(named.begin(), named.end(), name) == named.end() && named.size() < kNamedCharacters) {
            named.push_back(name);
        }
        return false;
    });
    if (lost == 0) return std::nullopt;
    std::string warning = countText(lost, "character") + " of the text to " + which +
                          " will be written as '?', since hemwright writes the added texts as single bytes "
                          "(ISO 8859-1, up to U+00FF):";
    for (std::size_t i = 0; i < named.size(); ++i) warning += (i == 0 ? " " : ", ") + named[i];
    return warning;
}

}  // namespace

std::vector<std::string> addedTextWarnings(const StepOptions& options) {
    std::vector<std::string> warnings;
    if (options.addLineBreak && !options.lineBreakStyle) {
        warnings.push_back("--add-line-break without --line-break-style: the line break after the prefix is CR LF "
                           "(\\r\\n), on every system");
    }
    if (options.prepend) {
        if (auto warning = lostCharacters(*options.prepend, "prepend")) warnings.push_back(*warning);
    }
    if (options.append) {
        if (auto warning = lostCharacters(*options.append, "append")) warnings.push_back(*warning);
    }
    return warnings;
}

std::string firstByteBeyondAscii(const StepOptions& options) {
    std::string found;
    for (const std::string& text : {options.prepend.value_or(""), options.append.value_or("")}) {
        const bool any = findCharacter(text, [&](std::uint32_t codePoint, const std::string& sequence) {
            if (codePoint > 0xFF) return false;
            char byte[8];
            std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned>(codePoint));
            found = printableName(sequence) + " as the byte " + byte;
            return true;
        });
        if (any) break;
    }
    return found;
}

bool addsBytesBeyondAscii(const AddedText& added) {
    const auto beyond = [](char c) { return static_cast<unsigned char>(c) > 0x7F; };
    return std::any_of(added.prefix.begin(), added.prefix.end(), beyond) ||
           std::any_of(added.suffix.begin(), added.suffix.end(), beyond);
}

std::optional<std::string> utf8Look(const std::string& head, bool cut) {
    if (head.compare(0, kUtf8ByteOrderMark.size(), kUtf8ByteOrderMark) == 0) {
        return std::string("it begins with a UTF-8 byte-order mark");
    }
    Utf8ToLatin1Converter decoder;
    bool beyondAscii = false;
    for (std::size_t offset = 0; offset < head.size();) {
        const auto lead = static_cast<unsigned char>(head[offset]);
        if (lead < 0x80) {
            ++offset;
            continue;
        }
        const std::size_t length = static_cast<std::size_t>(Utf8ToLatin1Converter::sequenceLength(lead));
        if (offset + length > head.size()) {
            // Cut by the end of what was read, or by the end of the file.
            if (!cut) return std::nullopt;
            break;
        }
        if (decoder.decodeSequence(head.substr(offset, length)) == Utf8ToLatin1Converter::kInvalid) {
            return std::nullopt;
        }
        beyondAscii = true;
        offset += length;
    }
    if (!beyondAscii) return std::nullopt;
    return std::string("it holds UTF-8 characters beyond ASCII");
}

bool isStamped(std::uintmax_t size, const std::string& head, const std::string& tail, const AddedText& added) {
    if (size < added.prefix.size() + added.suffix.size()) return false;
    return head.compare(0, added.prefix.size(), added.prefix) == 0 &&
           tail.size() >= added.suffix.size() &&
           tail.compare(tail.size() - added.suffix.size(), added.suffix.size(), added.suffix) == 0;
}
