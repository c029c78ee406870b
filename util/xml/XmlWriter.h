#ifndef OSTREL_XML_XMLWRITER_H
#define OSTREL_XML_XMLWRITER_H

#include "util/xml/XmlAttributeList.h"

#include <ostream>
#include <string>

// A line-oriented XML writer on a standard output stream. Every function
// writes whole lines: level tab characters of indentation (none for a level
// of 0 or less), the markup, one line feed (never a carriage return), then a
// flush. Element and attribute names are written as given; attribute values
// and element text go through escapeXml (util/xml/XmlEscape.h), which
// produces the bytes of an ISO-8859-1 document, so the declaration should name
// "ISO-8859-1". Texts are taken up to their first NUL. The stream is not
// checked: its errors stay in its own state. Not thread-safe per stream.
namespace ostrel::xml {

// "<?xml version="1.0" encoding="<encoding>"?>", without the encoding part
// when encoding is empty. No indentation.
std::ostream& writeXmlDeclaration(std::ostream& out, const std::string& encoding);

// "<name>".
std::ostream& writeStartTag(std::ostream& out, int level, const std::string& name);

// "<name a="v" ...>", the attributes in the list's order.
std::ostream& writeStartTag(std::ostream& out, int level, const std::string& name,
                            const XmlAttributeList& attributes);

// "<name a="v" ... />".
std::ostream& writeEmptyElement(std::ostream& out, int level, const std::string& name,
                                const XmlAttributeList& attributes);

// "<name a="v" ...>text</name>" on one line, text in the text form of
// escapeXml.
void writeTextElement(std::ostream& out, int level, const std::string& name, const std::string& text,
                      const XmlAttributeList& attributes);

// Writes the end tag "</name>" at its level when it goes out of scope, also
// when an exception leaves the scope, so that a document cut short still has
// its open elements closed. Guards are nested like the elements they close.
// The stream is borrowed and must outlive the guard.
class EndTagWriter {
public:
    // Writes nothing.
    EndTagWriter(std::ostream& out, int level, std::string name);
    EndTagWriter(const EndTagWriter&) = delete;
    EndTagWriter& operator=(const EndTagWriter&) = delete;
    ~EndTagWriter();

private:
    std::ostream& out_;
    int level_;
    std::string name_;
};

}  // namespace ostrel::xml

#endif
