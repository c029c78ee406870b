#ifndef OSTREL_XML_DOMELEMENTLIST_H
#define OSTREL_XML_DOMELEMENTLIST_H

#include "util/xml/DOMElementPtr.h"
#include "util/xml/DOMNodeListPtr.h"

#include <cstddef>
#include <memory>
#include <vector>

namespace ostrel::xml {

// The element nodes of a node list, in the list's order; every other kind of
// node is left out, so indexes differ from the node list's. Copies share the
// elements.
class DOMElementList {
public:
    explicit DOMElementList(const DOMNodeListPtr& nodes);

    std::size_t size() const { return elements_->size(); }
    // The element at index; a null handle at or past the end.
    DOMElementPtr at(std::size_t index) const;

private:
    std::shared_ptr<std::vector<DOMElementPtr>> elements_;
};

}  // namespace ostrel::xml

#endif
