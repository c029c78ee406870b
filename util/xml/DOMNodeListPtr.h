#ifndef OSTREL_XML_DOMNODELISTPTR_H
#define OSTREL_XML_DOMNODELISTPTR_H

#include "util/xml/ComparablePtr.h"
#include "util/xml/ParsedDocument.h"

#include <xercesc/dom/DOMNodeList.hpp>

#include <memory>

namespace XALAN_CPP_NAMESPACE {
class NodeRefList;
}

namespace ostrel::xml {

class DOMNodePtr;

// A handle on a list of nodes: either a DOM child list or the result of an
// XPath query, never both. Copies share the list and keep the document
// alive. An XPath result is never null, even when it holds no node.
class DOMNodeListPtr : public ComparablePtr<xercesc::DOMNodeList> {
public:
    DOMNodeListPtr() = default;
    // A DOM list of document.
    DOMNodeListPtr(xercesc::DOMNodeList* list, ParsedDocumentRef document);
    // An XPath result over document's wrapper; the handle owns result jointly
    // with its copies.
    DOMNodeListPtr(std::shared_ptr<xalanc::XercesDocumentWrapper> wrapper,
                   std::shared_ptr<xalanc::NodeRefList> result, ParsedDocumentRef document);

    bool isNull() const override;
    bool operator==(std::nullptr_t) const override { return isNull(); }
    using ComparablePtr::operator==;

    // Number of nodes; 0 for a null handle.
    std::size_t getLength() const;

    // The node at index; a null handle for a null list or an index at or past
    // the end.
    DOMNodePtr item(std::size_t index) const;

private:
    ParsedDocumentRef document_;
    std::shared_ptr<xalanc::XercesDocumentWrapper> wrapper_;
    std::shared_ptr<xalanc::NodeRefList> xpathResult_;
};

}  // namespace ostrel::xml

#endif
