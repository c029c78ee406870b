#ifndef OSTREL_XML_BOUNDEDDOMPARSER_H
#define OSTREL_XML_BOUNDEDDOMPARSER_H

#include "util/xml/Transcode.h"

#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/util/SecurityManager.hpp>

#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

namespace ostrel::xml {

// A DOM parser that refuses documents whose structure or expansion would make
// parsing take minutes or gigabytes instead of milliseconds and megabytes:
// - elements nested deeper than kMaxElementDepth levels: the scanner looks
//   up every element's namespace through all open elements, so a document
//   nested a million levels deep takes hours;
// - an element with more than kMaxAttributesPerElement attributes (namespace
//   declarations and defaulted attributes count): the DOM checks each new
//   attribute against all earlier ones, so 100,000 attributes take a minute;
// - entity references nested more than kMaxEntityDepth levels deep: the
//   scanner keeps a reader of some 160 KB for every open level and the DOM
//   copies each level's nodes into the level above, so a chain of 3,000
//   entities, each referring to the next, took seconds and a gigabyte;
//   parameter entities, which nest without a report, count instead: at most
//   kMaxEntityDepth of them may have a text that refers to another;
// - more than kMaxDistinctNames distinct names of elements and attributes
//   and namespace names: the DOM keeps them in a table of fixed width, so
//   400,000 distinct names took a minute;
// - more than kMaxNamespaceDeclarationsInScope namespace declarations in
//   scope at an element, summed over it and the elements around it: each
//   name's namespace is looked up through every declaration in scope, so
//   500 nested elements of 999 declarations each took minutes;
// - more than kMaxEntityExpansions references to internal entities expanded
//   in the document (nested references count one each), or more than
//   kMaxExpandedCharacters characters added by them and by attribute
//   defaults of the DTD: a 77 KB document with one 50,000-character entity
//   used 9,000 times would otherwise build 450 MB of text;
// - an internal DTD subset longer than kMaxInternalSubsetCharacters once its
//   parameter entities are expanded;
// - an attribute-list declaration after the declaration of an internal
//   general entity: references in attribute defaults are expanded while the
//   DTD is read, where the parser offers no way to count them (a default of
//   nested references took minutes without using memory), so defaults may
//   come only before the entities they could refer to.
// The host declares no DTD at all, uses about twenty distinct names and no
// namespace declaration, and writes a handful of levels and at most three
// attributes per element; within the bounds a document parses in time
// proportional to its size plus its bounded expansion.
//
// A document past a bound ends the parse at once with a SAXParseException
// whose message says which bound and where; the parse fails like any other
// fatal error.
class BoundedDOMParser final : public xercesc::XercesDOMParser {
public:
    static constexpr std::size_t kMaxElementDepth = 1000;
    static constexpr std::size_t kMaxAttributesPerElement = 1000;
    static constexpr std::size_t kMaxDistinctNames = 10000;
    static constexpr std::size_t kMaxNamespaceDeclarationsInScope = 1000;
    static constexpr std::size_t kMaxEntityDepth = 32;
    static constexpr std::size_t kMaxEntityExpansions = 10000;
    static constexpr std::size_t kMaxExpandedCharacters = 1 << 20;
    static constexpr std::size_t kMaxInternalSubsetCharacters = 1 << 20;

    // Installs the parser's own expansion accounting: a security manager
    // that reports every expansion to error() (keep it; another one would
    // lift the expansion bounds), and fatal errors that end the parse from
    // error() itself.
    BoundedDOMParser();

    void startDocument() override;
    void startElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int urlId, const XMLCh* const elemPrefix,
                      const xercesc::RefVectorOf<xercesc::XMLAttr>& attrList, const XMLSize_t attrCount,
                      const bool isEmpty, const bool isRoot) override;
    void endElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int urlId, const bool isRoot,
                    const XMLCh* const elemPrefix) override;

    // Counts an entity expansion, which the scanner reports as an error of
    // its own; passes every other error on.
    void error(const unsigned int errCode, const XMLCh* const errDomain,
               const xercesc::XMLErrorReporter::ErrTypes type, const XMLCh* const errorText,
               const XMLCh* const systemId, const XMLCh* const publicId, const XMLFileLoc lineNum,
               const XMLFileLoc colNum) override;

    // The DTD callbacks that lengthen the internal subset the DOM records.
    void attDef(const xercesc::DTDElementDecl& elemDecl, const xercesc::DTDAttDef& attDef,
                const bool ignoring) override;
    void doctypeComment(const XMLCh* const comment) override;
    void doctypePI(const XMLCh* const target, const XMLCh* const data) override;
    void doctypeWhitespace(const XMLCh* const chars, const XMLSize_t length) override;
    void elementDecl(const xercesc::DTDElementDecl& decl, const bool isIgnored) override;
    void endAttList(const xercesc::DTDElementDecl& elemDecl) override;
    void entityDecl(const xercesc::DTDEntityDecl& entityDecl, const bool isPEDecl, const bool isIgnored) override;
    void notationDecl(const xercesc::XMLNotationDecl& notDecl, const bool isIgnored) override;
    void startAttList(const xercesc::DTDElementDecl& elemDecl) override;

private:
    // what names the construct for the message ("the entity reference").
    void addExpandedCharacters(std::size_t count, const char* what);
    void checkInternalSubset() const;
    // Counts the names and namespace names of the element being started.
    void countNames(const xercesc::XMLElementDecl& elemDecl, unsigned int urlId,
                    const xercesc::RefVectorOf<xercesc::XMLAttr>& attrList, XMLSize_t attrCount);
    void countName(const XMLCh* name);
    // "line L, column C" of the document.
    std::string position() const;
    [[noreturn]] void refuse(const std::string& message) const;

    xercesc::SecurityManager everyExpansionReported_;
    std::size_t depth_ = 0;
    std::unordered_set<XmlString> names_;
    // The namespace declarations of each open element, and their sum.
    std::vector<std::size_t> declarations_;
    std::size_t declarationsInScope_ = 0;
    std::size_t expansions_ = 0;
    std::size_t expandedCharacters_ = 0;
    bool generalEntityDeclared_ = false;
    std::size_t referringParameterEntities_ = 0;
};

}  // namespace ostrel::xml

#endif
