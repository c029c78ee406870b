#ifndef HEMWRIGHT_STEP_XMLCHARACTERS_H
#define HEMWRIGHT_STEP_XMLCHARACTERS_H

#include <optional>
#include <string>

// Checking and escaping of the UTF-8 texts that go into input.xml.

// Why text cannot go into an XML 1.0 document, or nothing when it can: the
// text must be well-formed UTF-8 (no overlong forms, no surrogates, nothing
// above U+10FFFF) and hold only characters XML 1.0 allows (tab, LF, CR,
// U+0020-U+D7FF, U+E000-U+FFFD, U+10000-U+10FFFF). The reason names the
// offending byte or character and its byte offset, e.g.
// "byte 0xFF at offset 3 is not valid UTF-8".
struct XmlTextProblem {
    bool notUtf8 = false;  // true: a byte that is not UTF-8; false: a character XML 1.0 does not allow
    std::string reason;
};
std::optional<XmlTextProblem> findXmlTextProblem(const std::string& text);

// text escaped for element content or a double-quoted attribute value:
// & < > and the double quote as entity references, and tab, LF and CR as
// character references, so that the parser's line-end and attribute-value
// normalisation leaves them as they are.
// REQUIRES: findXmlTextProblem(text) is empty.
std::string escapeXmlCharacters(const std::string& text);

#endif
