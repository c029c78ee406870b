// The factories through which the rest of the runtime creates data elements
// and their collections.

#include "plugin/data/DataElementImpl.h"
#include "plugin/data/DataElementsImpl.h"

namespace Vellamor::Plugin {

std::unique_ptr<DataElement> createDataElement(const std::string& name, const std::string& value,
                                               DataType type) {
    auto element = std::make_unique<DataElementImpl>(name, type);
    element->setString(value);
    return element;
}

std::unique_ptr<DataElements> createDataElements() {
    return std::make_unique<DataElementsImpl>();
}

std::unique_ptr<DataElements> copyDataElements(const DataElements& source) {
    auto copy = std::make_unique<DataElementsImpl>();
    for (const auto& entry : source) {
        copy->add(*entry.second);
    }
    return copy;
}

}  // namespace Vellamor::Plugin
