#include "util/xml/BoundedDOMParser.h"

#include "util/xml/Transcode.h"

#include <xercesc/framework/XMLElementDecl.hpp>
#include <xercesc/internal/XMLScanner.hpp>
#include <xercesc/sax/Locator.hpp>
#include <xercesc/sax/SAXParseException.hpp>
#include <xercesc/util/PlatformUtils.hpp>

#include <string>

namespace ostrel::xml {

BoundedDOMParser::BoundedDOMParser() : XercesDOMParser(nullptr, xercesc::XMLPlatformUtils::fgMemoryManager, nullptr) {}

void BoundedDOMParser::startDocument() {
    depth_ = 0;
    XercesDOMParser::startDocument();
}

void BoundedDOMParser::startElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int urlId,
                                    const XMLCh* const elemPrefix,
                                    const xercesc::RefVectorOf<xercesc::XMLAttr>& attrList,
                                    const XMLSize_t attrCount, const bool isEmpty, const bool isRoot) {
    if (depth_ >= kMaxElementDepth) {
        refuse("is nested more than " + std::to_string(kMaxElementDepth) +
               " levels deep; a document may nest elements at most " + std::to_string(kMaxElementDepth) +
               " levels deep");
    }
    if (attrCount > kMaxAttributesPerElement) {
        refuse("has " + std::to_string(attrCount) + " attributes; a document may give an element at most " +
               std::to_string(kMaxAttributesPerElement) + " attributes, namespace declarations included");
    }
    ++depth_;
    // For an empty element this also calls endElement, which counts it out.
    XercesDOMParser::startElement(elemDecl, urlId, elemPrefix, attrList, attrCount, isEmpty, isRoot);
}

void BoundedDOMParser::endElement(const xercesc::XMLElementDecl& elemDecl, const unsigned int urlId,
                                  const bool isRoot, const XMLCh* const elemPrefix) {
    --depth_;
    XercesDOMParser::endElement(elemDecl, urlId, isRoot, elemPrefix);
}

void BoundedDOMParser::refuse(const std::string& what) const {
    const xercesc::Locator& locator = *getScanner()->getLocator();
    const std::string message = "the element at line " + std::to_string(locator.getLineNumber()) +
                                ", column " + std::to_string(locator.getColumnNumber()) + " " + what;
    throw xercesc::SAXParseException(transcodeFromUtf8(message).c_str(), locator);
}

}  // namespace ostrel::xml
