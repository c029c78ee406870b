#include "util/xml/DOMElementList.h"

namespace ostrel::xml {

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
