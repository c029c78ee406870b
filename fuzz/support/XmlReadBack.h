#ifndef HEMWRIGHT_FUZZ_XMLREADBACK_H
#define HEMWRIGHT_FUZZ_XMLREADBACK_H

#include <xercesc/dom/DOMDocument.hpp>
#include <xercesc/dom/DOMElement.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>

#include <memory>
#include <string>
#include <vector>

// The fuzz targets' independent reader of documents the program wrote, and
// the text a conforming parser must give back for what the writer escaped.
namespace fuzz {

// A document parsed from memory with Xerces, checked for well-formedness
// only. Nothing outside the bytes is read: no external DTD, no external
// entity, no default entity resolution. A document with an error or a fatal
// error fails the property with the parser's message and the bytes.
// REQUIRES: the XML platform is started (ostrel::xml::initializeXmlPlatform).
class ParsedBytes {
public:
    explicit ParsedBytes(const std::string& bytes);
    ParsedBytes(const ParsedBytes&) = delete;
    ParsedBytes& operator=(const ParsedBytes&) = delete;
    ~ParsedBytes();

    // Never null: a document that did not parse has already failed.
    xercesc::DOMElement& root() const;

private:
    std::unique_ptr<xercesc::XercesDOMParser> parser_;
};

// The child elements of parent named name, in document order.
std::vector<xercesc::DOMElement*> childElements(const xercesc::DOMElement& parent, const char* name);
// The attribute's value as UTF-8 ("" when missing), and whether it is present.
std::string attributeText(const xercesc::DOMElement& element, const char* name);
bool hasAttribute(const xercesc::DOMElement& element, const char* name);
// All text of the element (text and CDATA nodes) as UTF-8.
std::string elementText(const xercesc::DOMElement& element);

// True when text is well-formed UTF-8 of characters an XML 1.0 document can
// hold as content once escaped (NUL, the dropped control characters and
// U+FFFE/U+FFFF aside, which the writer removes).
bool isWritableUtf8(const std::string& text);

// The bytes 1-8, 11, 12 and 14-31 removed, as the writer drops them.
std::string withoutControlCharacters(std::string text);
// A text as escaped in either form and read back: U+FFFE, U+FFFF and the
// control characters vanish; everything else, line ends, tabs and
// CDATA-like text included, comes back exactly.
std::string expectedReadBack(const std::string& text);

}  // namespace fuzz

#endif
