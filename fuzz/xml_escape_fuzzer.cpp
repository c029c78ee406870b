// escapeXml in both forms: the output is safe markup, and a document that
// embeds it reads back exactly as the text (minus what the writer drops).
#include "support/FuzzCheck.h"
#include "support/XmlReadBack.h"
#include "util/xml/XmlEscape.h"
#include "util/xml/XmlPlatform.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

const char* const kReferences[] = {"&lt;", "&gt;", "&amp;", "&quot;"};

// Whether a '&' at index starts one of the writer's references.
bool startsReference(const std::string& out, std::size_t index) {
    for (const char* reference : kReferences) {
        if (out.compare(index, std::strlen(reference), reference) == 0) {
            return true;
        }
    }
    if (out.compare(index, 2, "&#") != 0) {
        return false;
    }
    std::size_t digit = index + 2;
    while (digit < out.size() && out[digit] >= '0' && out[digit] <= '9') {
        ++digit;
    }
    return digit > index + 2 && digit < out.size() && out[digit] == ';';
}

// Nothing a parser would read as markup or change: no raw '<', no '&' that
// does not start a reference, no raw CR; in attribute form also no raw
// double quote, tab or line feed.
void checkMarkupSafety(const std::string& text, const std::string& out, bool attributeForm) {
    for (std::size_t index = 0; index < out.size(); ++index) {
        const char character = out[index];
        const bool unsafe = character == '<' || character == '\r' ||
                            (character == '&' && !startsReference(out, index)) ||
                            (attributeForm && (character == '"' || character == '\t' || character == '\n'));
        if (unsafe) {
            fuzz::failProperty("raw " + fuzz::quoteBytes(std::string(1, character)) + " at " +
                               std::to_string(index) + " in " + fuzz::quoteBytes(out) + " (" +
                               (attributeForm ? "attribute" : "text") + " form) for " + fuzz::quoteBytes(text));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (ostrel::xml::initializeXmlPlatform(), true);
    (void)started;
    // escapeXml reads up to the first NUL; the properties use the same text.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::string text(input.c_str());

    const std::string attribute = ostrel::xml::escapeXml(text.c_str(), true);
    const std::string content = ostrel::xml::escapeXml(text.c_str(), false);
    checkMarkupSafety(text, attribute, true);
    checkMarkupSafety(text, content, false);

    // Bytes that are not UTF-8 are passed through as Latin-1 characters, so
    // the document is well formed whatever the input.
    const fuzz::ParsedBytes document("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<e a=\"" + attribute +
                                     "\">" + content + "</e>");
    if (!fuzz::isWritableUtf8(text)) {
        return 0;
    }
    fuzz::expectEqualBytes("attribute read back for " + fuzz::quoteBytes(text), fuzz::expectedReadBack(text),
                           fuzz::attributeText(document.root(), "a"));
    fuzz::expectEqualBytes("text read back for " + fuzz::quoteBytes(text), fuzz::expectedReadBack(text),
                           fuzz::elementText(document.root()));
    return 0;
}
