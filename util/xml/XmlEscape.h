#ifndef OSTREL_XML_XMLESCAPE_H
#define OSTREL_XML_XMLESCAPE_H

#include <cstddef>
#include <string>

// Escaping of element text and attribute values for the XML writer, so that
// any conforming parser reads back exactly the text that was escaped (less
// the characters no document can hold, which are dropped).
//
// The writer's documents are declared "ISO-8859-1" while the program's
// strings are UTF-8 (all text that comes out of the XML library is), so the
// escaping also produces the document's bytes: ASCII as described below,
// every other character as appendAsLatin1 (util/xml/Latin1Output.h) writes it
// (U+0080 to U+00FF as one byte, anything above as "&#N;"; bytes that are not
// valid UTF-8 unchanged). The output is therefore only meant for documents
// declared "ISO-8859-1".
namespace ostrel::xml {

// Escapes text up to its first NUL.
// Both forms: "&", "<" and ">" become "&amp;", "&lt;" and "&gt;", and a
// carriage return becomes "&#13;" (a parser turns a raw one into a line
// feed). The text is never markup: "<![CDATA[" and "]]>" in it are escaped
// like any other characters.
// Attribute form: also the double quote becomes "&quot;", and tab and line
// feed become "&#9;" and "&#10;" (a parser turns raw ones into blanks).
// Text form: the double quote, tab and line feed stay as they are.
// In both forms the control bytes 1-8, 11, 12 and 14-31 and the
// noncharacters U+FFFE and U+FFFF are dropped; the apostrophe is never
// escaped. Never fails.
std::string escapeXml(const char* text, bool attributeForm);

// Escapes count characters of text as escapeXml does. The range may hold no
// NUL.
std::string escapeXmlRun(const char* text, std::size_t count, bool attributeForm);

}  // namespace ostrel::xml

#endif
