#ifndef OSTREL_XML_DOMELEMENTPTR_H
#define OSTREL_XML_DOMELEMENTPTR_H

#include "util/xml/DOMNodePtr.h"

#include <xercesc/dom/DOMElement.hpp>

#include <string>

namespace ostrel::xml {

// A handle on an element node. Made from any node handle: a node that is
// not an element gives a null handle (which still keeps the document alive).
class DOMElementPtr : public DOMNodePtr {
public:
    DOMElementPtr() = default;
    // Implicit, so that query results can be taken as elements directly.
    DOMElementPtr(const DOMNodePtr& node);

    // The attribute's value as UTF-8; empty text for a missing attribute or,
    // when not required, a null handle.
    // Throws CrXmlException "This DOM Element is null." for a null handle when
    // required.
    std::string getAttribute(const std::string& name, bool required) const;
    std::string getAttribute(const std::string& name) const { return getAttribute(name, false); }
    // Whether the element has the attribute (even with an empty value);
    // false for a null handle.
    bool hasAttribute(const std::string& name) const;

    xercesc::DOMElement* getElement() const { return element_; }

private:
    xercesc::DOMElement* element_ = nullptr;
};

}  // namespace ostrel::xml

#endif
