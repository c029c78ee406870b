#include "util/xml/DOMElementPtr.h"

#include "util/xml/CrXmlException.h"
#include "util/xml/Transcode.h"

namespace ostrel::xml {

DOMElementPtr::DOMElementPtr(const DOMNodePtr& node) : DOMNodePtr(node) {
    if (node.getNodeType() == xercesc::DOMNode::ELEMENT_NODE) {
        element_ = static_cast<xercesc::DOMElement*>(node.get());
    } else {
        reset(nullptr);
    }
}

std::string DOMElementPtr::getAttribute(const std::string& name, bool required) const {
    if (element_ == nullptr) {
        if (required) {
            throw CrXmlException("This DOM Element is null.");
        }
        return std::string();
    }
    const XMLCh* value = element_->getAttribute(transcodeFromUtf8(name).c_str());
    if (value != nullptr) {
        return transcodeToUtf8(value);
    }
    // The DOM answers a missing attribute with the empty string; no string at
    // all would mean the element cannot say.
    if (required) {
        throw CrXmlException("The attribute \"" + name + "\" does not exist.");
    }
    return std::string();
}

bool DOMElementPtr::hasAttribute(const std::string& name) const {
    return element_ != nullptr && element_->hasAttribute(transcodeFromUtf8(name).c_str());
}

}  // namespace ostrel::xml
