#ifndef OSTREL_XML_DOMNODEPTR_H
#define OSTREL_XML_DOMNODEPTR_H

#include "util/xml/ComparablePtr.h"
#include "util/xml/DOMNodeListPtr.h"
#include "util/xml/ParsedDocument.h"

#include <xercesc/dom/DOMNode.hpp>

#include <string>

namespace ostrel::xml {

// A handle on one node of a parsed document. Copies share the node and keep
// the document alive; a null handle answers every query with a null result
// or empty text. Handles of one document belong to one thread.
class DOMNodePtr : public ComparablePtr<xercesc::DOMNode> {
public:
    DOMNodePtr() = default;
    // The node must belong to document's DOM (or be null).
    DOMNodePtr(xercesc::DOMNode* node, ParsedDocumentRef document);

    // The same node: equal pointers (two null handles included), or the
    // DOM's own identity test when both are non-null.
    bool isSameNode(const DOMNodePtr& other) const;

    // The DOM node type (1 element, 2 attribute, 3 text, 4 CDATA section,
    // ...); 0 for a null handle.
    int getNodeType() const;

    // The node value as UTF-8; empty for a null handle or a node without one.
    std::string getNodeValue() const;

    // The text an element, attribute or other node stands for: for an element
    // its whole character content, the text and CDATA children in document
    // order with entity references expanded (child elements, comments and
    // processing instructions add nothing; empty when there is none); for
    // attributes, text, CDATA sections, processing instructions and comments
    // their value; for anything else empty.
    std::string getText() const;

    // The node's children; a null list for a null handle.
    DOMNodeListPtr getChildNodes() const;

    // Binds prefix to namespaceUri for the XPath queries of every handle of
    // this document; does nothing for a handle without a parsed document.
    virtual void addNamespace(const std::string& prefix, const std::string& namespaceUri);

    // The first node the XPath 1.0 expression selects from this node, in
    // document order; a null handle when none (or when this handle is null).
    // Prefixes resolve through addNamespace ("xml" is always bound).
    // Throws CrXmlException for an expression that is not valid or a node
    // that belongs to no parsed document.
    virtual DOMNodePtr selectSingleNode(const std::string& expression) const;

    // Every node the expression selects, in document order; an empty, non-null
    // list when none; a null list when this handle is null. The list keeps the
    // document alive. Throws as selectSingleNode.
    virtual DOMNodeListPtr selectNodeList(const std::string& expression) const;

    const ParsedDocumentRef& getParsedDocument() const { return document_; }

protected:
    ParsedDocumentRef document_;
};

}  // namespace ostrel::xml

#endif
