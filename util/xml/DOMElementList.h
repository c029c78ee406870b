#ifndef OSTREL_XML_DOMELEMENTLIST_H
#define OSTREL_XML_DOMELEMENTLIST_H

#include "util/xml/DOMElementPtr.h"
#include "util/xml/DOMNodeListPtr.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace ostrel::xml {

// The element nodes of a node list, in the list's order; every other kind of
// node is left out, so indexes differ from the node list's. Copies share the
// elements.
class DOMElementList {
public:
    explicit DOMElementList(const DOMNodeListPtr& nodes);

    // The child elements of parent with the local name name and no
    // namespace, in document order: what the XPath name test name selects
    // from parent, found in one walk over its children, in time linear in
    // their number (the XPath bridge over a document of some 100,000 nodes
    // costs more than linearly, and so does a DOM child list read by index).
    // Empty for a null parent.
    static DOMElementList childrenNamed(const DOMNodePtr& parent, const std::string& name);

    std::size_t size() const { return elements_->size(); }
    // The element at index; a null handle at or past the end.
    DOMElementPtr at(std::size_t index) const;

private:
    DOMElementList();

    std::shared_ptr<std::vector<DOMElementPtr>> elements_;
};

}  // namespace ostrel::xml

#endif
