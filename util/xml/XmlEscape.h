#ifndef OSTREL_XML_XMLESCAPE_H
#define OSTREL_XML_XMLESCAPE_H

#include <cstddef>
#include <string>

// Escaping of element text and attribute values for the XML writer.
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
// Attribute form: "&", "<", ">" and the double quote become "&amp;", "&lt;",
// "&gt;" and "&quot;".
// Text form: the same except that the double quote stays, and every complete
// CDATA section of the text ("<![CDATA[" up to the first "]]>" after it) is
// copied as it stands, markup characters included. Text that is not part of
// a complete section is escaped like any other text, so an opening marker
// without a later "]]>", or a "]]>" before any section, never leaves the
// output malformed.
// In both forms (also inside a section) the control bytes 1-8, 11, 12 and
// 14-31 are dropped; tab, line feed and carriage return stay; the apostrophe
// is never escaped. Never fails.
std::string escapeXml(const char* text, bool attributeForm);

// Escapes count characters of text as escapeXml does outside CDATA sections,
// without looking for sections. The range may hold no NUL.
std::string escapeXmlRun(const char* text, std::size_t count, bool attributeForm);

}  // namespace ostrel::xml

#endif
