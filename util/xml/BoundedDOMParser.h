#ifndef OSTREL_XML_BOUNDEDDOMPARSER_H
#define OSTREL_XML_BOUNDEDDOMPARSER_H

#include <xercesc/parsers/XercesDOMParser.hpp>

#include <cstddef>
#include <string>

namespace ostrel::xml {

// A DOM parser that refuses documents whose structure would make parsing
// take minutes instead of milliseconds:
// - elements nested deeper than kMaxElementDepth levels: the scanner looks
//   up every element's namespace through all open elements, so a document
//   nested a million levels deep takes hours;
// - an element with more than kMaxAttributesPerElement attributes (namespace
//   declarations count as attributes): the DOM checks each new attribute
//   against all earlier ones, so 100,000 attributes take a minute.
// Both bounds lie far beyond any document the host writes (a handful of
// levels, at most three attributes per element), and within them a
// document parses in time proportional to its size.
//
// A document past a bound ends the parse at once, before the element is
// built, with a SAXParseException whose message says which bound and where;
// the parse fails like any other fatal error.
class BoundedDOMParser final : public xercesc::XercesDOMParser {
public:
    static constexpr std::size_t kMaxElementDepth = 1000;
    static constexpr std::size_t kMaxAttributesPerElement = 1000;

    BoundedDOMParser();

    void startElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int urlId, const XMLCh* const elemPrefix,
                      const xercesc::RefVectorOf<xercesc::XMLAttr>& attrList, const XMLSize_t attrCount,
                      const bool isEmpty, const bool isRoot) override;
    void endElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int urlId, const bool isRoot,
                    const XMLCh* const elemPrefix) override;
    void startDocument() override;

private:
    [[noreturn]] void refuse(const std::string& what) const;

    std::size_t depth_ = 0;
};

}  // namespace ostrel::xml

#endif
