#include "util/xml/DOMElementList.h"

#include "util/xml/Transcode.h"

#include <xercesc/dom/DOMNode.hpp>
#include <xercesc/util/XMLString.hpp>

namespace ostrel::xml {

DOMElementList::DOMElementList() : elements_(std::make_shared<std::vector<DOMElementPtr>>()) {}

DOMElementList DOMElementList::childrenNamed(const DOMNodePtr& parent, const std::string& name) {
    DOMElementList list;
    if (parent.get() == nullptr) {
        return list;
    }
    const XmlString wanted = transcodeFromUtf8(name);
    for (xercesc::DOMNode* child = parent.get()->getFirstChild(); child != nullptr;
         child = child->getNextSibling()) {
        if (child->getNodeType() == xercesc::DOMNode::ELEMENT_NODE && child->getNamespaceURI() == nullptr &&
            xercesc::XMLString::equals(child->getLocalName(), wanted.c_str())) {
            list.elements_->push_back(DOMElementPtr(DOMNodePtr(child, parent.getParsedDocument())));
        }
    }
    return list;
}

DOMElementList::DOMElementList(const DOMNodeListPtr& nodes)
    : elements_(std::make_shared<std::vector<DOMElementPtr>>()) {
    const std::size_t length = nodes.getLength();
    for (std::size_t index = 0; index < length; ++index) {
        DOMElementPtr element(nodes.item(index));
        if (!element.isNull()) {
            elements_->push_back(element);
        }
    }
}

DOMElementPtr DOMElementList::at(std::size_t index) const {
    return index < elements_->size() ? (*elements_)[index] : DOMElementPtr();
}

}  // namespace ostrel::xml
