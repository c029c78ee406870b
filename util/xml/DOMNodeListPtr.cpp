#include "util/xml/DOMNodeListPtr.h"

#include "util/xml/DOMNodePtr.h"

#include <xalanc/XPath/NodeRefList.hpp>
#include <xalanc/XercesParserLiaison/XercesDocumentWrapper.hpp>

namespace ostrel::xml {

DOMNodeListPtr::DOMNodeListPtr(xercesc::DOMNodeList* list, ParsedDocumentRef document)
    : ComparablePtr(list), document_(std::move(document)) {}

DOMNodeListPtr::DOMNodeListPtr(std::shared_ptr<xalanc::XercesDocumentWrapper> wrapper,
                               std::shared_ptr<xalanc::NodeRefList> result, ParsedDocumentRef document)
    : document_(std::move(document)), wrapper_(std::move(wrapper)), xpathResult_(std::move(result)) {}

bool DOMNodeListPtr::isNull() const {
    return !xpathResult_ && ComparablePtr::isNull();
}

std::size_t DOMNodeListPtr::getLength() const {
    if (xpathResult_) {
        return xpathResult_->getLength();
    }
    return get() == nullptr ? 0 : get()->getLength();
}

DOMNodePtr DOMNodeListPtr::item(std::size_t index) const {
    if (index >= getLength()) {
        return DOMNodePtr();
    }
    if (xpathResult_) {
        xalanc::XalanNode* node = xpathResult_->item(index);
        if (node == nullptr) {
            return DOMNodePtr();
        }
        // The wrapper maps its nodes back to the very DOM nodes it was built
        // over, which are not const to the owner of the document.
        return DOMNodePtr(const_cast<xercesc::DOMNode*>(wrapper_->mapNode(node)), document_);
    }
    return DOMNodePtr(get()->item(index), document_);
}

}  // namespace ostrel::xml
