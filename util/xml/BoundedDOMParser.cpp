#include "util/xml/BoundedDOMParser.h"

#include "util/xml/Transcode.h"

#include <xercesc/framework/XMLAttr.hpp>
#include <xercesc/framework/XMLElementDecl.hpp>
#include <xercesc/framework/XMLEntityDecl.hpp>
#include <xercesc/framework/XMLErrorCodes.hpp>
#include <xercesc/internal/ReaderMgr.hpp>
#include <xercesc/internal/XMLScanner.hpp>
#include <xercesc/sax/Locator.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/XMLChar.hpp>
#include <xercesc/util/XMLString.hpp>
#include <xercesc/util/XMLUni.hpp>
#include <xercesc/validators/DTD/DTDEntityDecl.hpp>

#include <string>

namespace ostrel::xml {

namespace {

// Whether text holds a parameter-entity reference ('%' and a name).
bool refersToParameterEntity(const XMLCh* text) {
    for (; text != nullptr && *text != 0; ++text) {
        if (*text == xercesc::chPercent && xercesc::XMLChar1_1::isFirstNameChar(text[1])) {
            return true;
        }
    }
    return false;
}

std::string expandedText() {
    return "a document's entities and attribute defaults may add at most " +
           std::to_string(BoundedDOMParser::kMaxExpandedCharacters) + " characters";
}

}  // namespace

BoundedDOMParser::BoundedDOMParser() : XercesDOMParser(nullptr, xercesc::XMLPlatformUtils::fgMemoryManager, nullptr) {
    // The scanner counts expansions against the manager's limit, read once
    // per parse, and reports each one past it as an error. With the limit at
    // 0 every expansion of an internal entity, in content and in attribute
    // values alike, reaches error() right after the entity's text has been
    // put in front of the reader, before a character of it is read.
    everyExpansionReported_.setEntityExpansionLimit(0);
    setSecurityManager(&everyExpansionReported_);
    // That report is a fatal error, which the scanner would otherwise follow
    // by ending the parse quietly; error() ends the parse on every other
    // fatal error itself.
    setExitOnFirstFatalError(false);
}

void BoundedDOMParser::startDocument() {
    depth_ = 0;
    names_.clear();
    declarations_.clear();
    declarationsInScope_ = 0;
    expansions_ = 0;
    expandedCharacters_ = 0;
    generalEntityDeclared_ = false;
    referringParameterEntities_ = 0;
    XercesDOMParser::startDocument();
}

void BoundedDOMParser::startElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int urlId,
                                    const XMLCh* const elemPrefix,
                                    const xercesc::RefVectorOf<xercesc::XMLAttr>& attrList,
                                    const XMLSize_t attrCount, const bool isEmpty, const bool isRoot) {
    if (depth_ >= kMaxElementDepth) {
        refuse("the element at " + position() + " is nested more than " + std::to_string(kMaxElementDepth) +
               " levels deep; a document may nest elements at most " + std::to_string(kMaxElementDepth) +
               " levels deep");
    }
    if (attrCount > kMaxAttributesPerElement) {
        refuse("the element at " + position() + " has " + std::to_string(attrCount) +
               " attributes; a document may give an element at most " + std::to_string(kMaxAttributesPerElement) +
               " attributes, namespace declarations included");
    }
    countNames(elemDecl, urlId, attrList, attrCount);
    // A default of the DTD is copied onto every element that lacks the
    // attribute: a short document can apply a long default many times.
    for (XMLSize_t index = 0; index < attrCount; ++index) {
        const xercesc::XMLAttr& attribute = *attrList.elementAt(index);
        if (!attribute.getSpecified()) {
            addExpandedCharacters(xercesc::XMLString::stringLen(attribute.getValue()),
                                  "the attribute defaults of the element");
        }
    }
    ++depth_;
    // For an empty element this also calls endElement, which counts it out.
    XercesDOMParser::startElement(elemDecl, urlId, elemPrefix, attrList, attrCount, isEmpty, isRoot);
}

void BoundedDOMParser::endElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int urlId,
                                  const bool isRoot, const XMLCh* const elemPrefix) {
    --depth_;
    declarationsInScope_ -= declarations_.back();
    declarations_.pop_back();
    XercesDOMParser::endElement(elemDecl, urlId, isRoot, elemPrefix);
}

void BoundedDOMParser::error(const unsigned int errCode, const XMLCh* const errDomain,
                             const xercesc::XMLErrorReporter::ErrTypes type, const XMLCh* const errorText,
                             const XMLCh* const systemId, const XMLCh* const publicId, const XMLFileLoc lineNum,
                             const XMLFileLoc colNum) {
    if (errCode == xercesc::XMLErrs::EntityExpansionLimitExceeded &&
        xercesc::XMLString::equals(errDomain, xercesc::XMLUni::fgXMLErrDomain)) {
        // The document's own reader is the first on the stack; each open
        // entity adds one, the one just expanded included.
        const xercesc::ReaderMgr& readers = *getScanner()->getReaderMgr();
        if (readers.getReaderDepth() > kMaxEntityDepth + 1) {
            refuse("the entity reference at " + position() + " nests entities more than " +
                   std::to_string(kMaxEntityDepth) + " levels deep; a document may nest entity references at most " +
                   std::to_string(kMaxEntityDepth) + " levels deep");
        }
        if (++expansions_ > kMaxEntityExpansions) {
            refuse("the entity reference at " + position() + " expands entities more than " +
                   std::to_string(kMaxEntityExpansions) + " times; a document may expand entities at most " +
                   std::to_string(kMaxEntityExpansions) + " times");
        }
        const xercesc::XMLEntityDecl* entity = readers.getCurrentEntity();
        addExpandedCharacters(entity != nullptr ? entity->getValueLen() : 0, "the entity reference");
        return;
    }
    XercesDOMParser::error(errCode, errDomain, type, errorText, systemId, publicId, lineNum, colNum);
    // The error handler raises fatal errors; should it not, the parse still
    // ends here, as it would with exit-on-first-fatal set.
    if (type == xercesc::XMLErrorReporter::ErrType_Fatal) {
        throw xercesc::SAXParseException(errorText, publicId, systemId, lineNum, colNum);
    }
}

void BoundedDOMParser::countNames(const xercesc::XMLElementDecl& elemDecl, const unsigned int urlId,
                                  const xercesc::RefVectorOf<xercesc::XMLAttr>& attrList, const XMLSize_t attrCount) {
    const xercesc::XMLScanner& scanner = *getScanner();
    std::size_t declarations = 0;
    countName(elemDecl.getFullName());
    countName(scanner.getURIText(urlId));
    for (XMLSize_t index = 0; index < attrCount; ++index) {
        const xercesc::XMLAttr& attribute = *attrList.elementAt(index);
        countName(attribute.getQName());
        countName(scanner.getURIText(attribute.getURIId()));
        if (attribute.getURIId() == scanner.getXMLNSNamespaceId()) {
            ++declarations;
        }
    }
    if (declarationsInScope_ + declarations > kMaxNamespaceDeclarationsInScope) {
        refuse("the element at " + position() + " brings the namespace declarations in scope to " +
               std::to_string(declarationsInScope_ + declarations) +
               "; a document may have at most " + std::to_string(kMaxNamespaceDeclarationsInScope) +
               " namespace declarations in scope at an element, those of the elements around it included");
    }
    declarations_.push_back(declarations);
    declarationsInScope_ += declarations;
}

void BoundedDOMParser::countName(const XMLCh* const name) {
    if (name == nullptr || *name == 0 || !names_.emplace(name).second || names_.size() <= kMaxDistinctNames) {
        return;
    }
    refuse("the element at " + position() + " brings the distinct names of elements, attributes and namespaces "
           "past " + std::to_string(kMaxDistinctNames) + "; a document may use at most " +
           std::to_string(kMaxDistinctNames) + " distinct names");
}

void BoundedDOMParser::addExpandedCharacters(std::size_t count, const char* what) {
    expandedCharacters_ += count;
    if (expandedCharacters_ > kMaxExpandedCharacters) {
        refuse("the text that entities and attribute defaults add passes " + std::to_string(kMaxExpandedCharacters) +
               " characters with " + what + " at " + position() + "; " + expandedText());
    }
}

void BoundedDOMParser::attDef(const xercesc::DTDElementDecl& elemDecl, const xercesc::DTDAttDef& attDef,
                              const bool ignoring) {
    XercesDOMParser::attDef(elemDecl, attDef, ignoring);
    checkInternalSubset();
}

void BoundedDOMParser::doctypeComment(const XMLCh* const comment) {
    XercesDOMParser::doctypeComment(comment);
    checkInternalSubset();
}

void BoundedDOMParser::doctypePI(const XMLCh* const target, const XMLCh* const data) {
    XercesDOMParser::doctypePI(target, data);
    checkInternalSubset();
}

void BoundedDOMParser::doctypeWhitespace(const XMLCh* const chars, const XMLSize_t length) {
    XercesDOMParser::doctypeWhitespace(chars, length);
    checkInternalSubset();
}

void BoundedDOMParser::elementDecl(const xercesc::DTDElementDecl& decl, const bool isIgnored) {
    XercesDOMParser::elementDecl(decl, isIgnored);
    checkInternalSubset();
}

void BoundedDOMParser::endAttList(const xercesc::DTDElementDecl& elemDecl) {
    XercesDOMParser::endAttList(elemDecl);
    checkInternalSubset();
}

void BoundedDOMParser::entityDecl(const xercesc::DTDEntityDecl& entityDecl, const bool isPEDecl,
                                  const bool isIgnored) {
    // Only the text of an internal general entity can be expanded in an
    // attribute default; a redeclaration is ignored by the parser.
    if (!isPEDecl && !isIgnored && !entityDecl.isExternal()) {
        generalEntityDeclared_ = true;
    }
    // Parameter entities nest without any report of their expansion: a
    // chain of them can only be built from entities whose text refers to
    // another, so counting those bounds how deep they nest.
    if (isPEDecl && !isIgnored && refersToParameterEntity(entityDecl.getValue()) &&
        ++referringParameterEntities_ > kMaxEntityDepth) {
        refuse("the declaration at " + position() + " makes more than " + std::to_string(kMaxEntityDepth) +
               " parameter entities whose text refers to a parameter entity; a document may declare at most " +
               std::to_string(kMaxEntityDepth) + " of them, so that entity references nest at most " +
               std::to_string(kMaxEntityDepth) + " levels deep");
    }
    XercesDOMParser::entityDecl(entityDecl, isPEDecl, isIgnored);
    checkInternalSubset();
}

void BoundedDOMParser::notationDecl(const xercesc::XMLNotationDecl& notDecl, const bool isIgnored) {
    XercesDOMParser::notationDecl(notDecl, isIgnored);
    checkInternalSubset();
}

void BoundedDOMParser::startAttList(const xercesc::DTDElementDecl& elemDecl) {
    if (generalEntityDeclared_) {
        refuse("the attribute-list declaration at " + position() +
               " follows the declaration of a general entity; a document may declare attribute lists only "
               "before its general entities, since references in attribute defaults cannot be bounded");
    }
    XercesDOMParser::startAttList(elemDecl);
    checkInternalSubset();
}

void BoundedDOMParser::checkInternalSubset() const {
    // The DOM records the internal subset as read, parameter entities
    // expanded; every declaration, comment and blank of it passes here.
    if (fInternalSubset.getLen() > kMaxInternalSubsetCharacters) {
        refuse("the internal subset of the document type declaration passes " +
               std::to_string(kMaxInternalSubsetCharacters) + " characters at " + position() +
               ", parameter entities expanded; a document's internal subset may hold at most " +
               std::to_string(kMaxInternalSubsetCharacters) + " characters");
    }
}

std::string BoundedDOMParser::position() const {
    const xercesc::Locator& locator = *getScanner()->getLocator();
    return "line " + std::to_string(locator.getLineNumber()) + ", column " +
           std::to_string(locator.getColumnNumber());
}

void BoundedDOMParser::refuse(const std::string& message) const {
    throw xercesc::SAXParseException(transcodeFromUtf8(message).c_str(), *getScanner()->getLocator());
}

}  // namespace ostrel::xml
