#ifndef HEMWRIGHT_STEP_XMLTEXTPROBLEM_H
#define HEMWRIGHT_STEP_XMLTEXTPROBLEM_H

#include <optional>
#include <string>

// Why text cannot go into an XML 1.0 document, or nothing when it can: the
// text must be well-formed UTF-8 (no overlong forms, no surrogates, nothing
// above U+10FFFF) and hold only characters XML 1.0 allows (tab, LF, CR,
// U+0020-U+D7FF, U+E000-U+FFFD, U+10000-U+10FFFF). The reason names the
// offending byte or character and its byte offset, e.g.
// "byte 0xFF at offset 3 is not valid UTF-8". Such text reaches the host
// document unchanged in meaning: the XML writer (util/xml/XmlWriter.h)
// escapes it.
struct XmlTextProblem {
    bool notUtf8 = false;  // true: a byte that is not UTF-8; false: a character XML 1.0 does not allow
    std::string reason;
};
std::optional<XmlTextProblem> findXmlTextProblem(const std::string& text);

#endif
