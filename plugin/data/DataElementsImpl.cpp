#include "plugin/data/DataElementsImpl.h"

#include "plugin/PluginException.h"
#include "plugin/data/DataElementImpl.h"

namespace Vellamor::Plugin {

namespace {

PluginException noSuchElement(const std::string& name) {
    return PluginException("There is no data element defined with the name \"" + name + "\".");
}

}  // namespace

DataElements::iterator DataElementsImpl::begin() {
    return elements_.begin();
}

DataElements::const_iterator DataElementsImpl::begin() const {
    return elements_.begin();
}

DataElements::iterator DataElementsImpl::end() {
    return elements_.end();
}

DataElements::const_iterator DataElementsImpl::end() const {
    return elements_.end();
}

std::size_t DataElementsImpl::size() const {
    return elements_.size();
}

bool DataElementsImpl::contains(const std::string& name) const {
    return elements_.find(name) != elements_.end();
}

DataElement& DataElementsImpl::get(const std::string& name) {
    const auto found = elements_.find(name);
    if (found == elements_.end()) {
        throw noSuchElement(name);
    }
    return *found->second;
}

const DataElement& DataElementsImpl::get(const std::string& name) const {
    const auto found = elements_.find(name);
    if (found == elements_.end()) {
        throw noSuchElement(name);
    }
    return *found->second;
}

void DataElementsImpl::add(const DataElement& element) {
    std::string name = element.getName();
    if (name.empty()) {
        throw PluginException("Cannot add a data element without a name to DataElements.");
    }
    // The copy is complete before the map is touched, so a failed copy leaves
    // the collection as it was; element may even be the one it replaces.
    std::unique_ptr<DataElement> copy = DataElementImpl::copyOf(element);
    elements_.insert_or_assign(std::move(name), std::move(copy));
}

}  // namespace Vellamor::Plugin
