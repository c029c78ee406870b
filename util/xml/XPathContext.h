#ifndef OSTREL_XML_XPATHCONTEXT_H
#define OSTREL_XML_XPATHCONTEXT_H

#include "util/xml/DOMNodePtr.h"

#include <xalanc/XalanDOM/XalanNode.hpp>
#include <xalanc/XercesParserLiaison/XercesDocumentWrapper.hpp>

#include <memory>
#include <string>

namespace ostrel::xml {

// Where an XPath query over a handle starts: the handle's node in the XPath
// view (wrapper) of its document.
struct XPathContext {
    std::shared_ptr<xalanc::XercesDocumentWrapper> wrapper;
    xalanc::XalanNode* node = nullptr;
};

// The texts a failed query start reports, each a complete message.
struct XPathContextFailures {
    std::string noOwnerDocument;
    std::string noParsedDocument;
};

// Finds the context of a query on handle, building the document's wrapper on
// the first query (it is kept in the document record and reused).
// REQUIRES: handle is not null.
// Throws CrXmlException with failures.noOwnerDocument when the node has no
// owner document and is no document itself, with failures.noParsedDocument
// when the handle belongs to no parsed document.
XPathContext prepareXPathContext(const DOMNodePtr& handle, const XPathContextFailures& failures);

}  // namespace ostrel::xml

#endif
