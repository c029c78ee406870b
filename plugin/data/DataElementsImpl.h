#ifndef VELLAMOR_PLUGIN_DATA_DATAELEMENTSIMPL_H
#define VELLAMOR_PLUGIN_DATA_DATAELEMENTSIMPL_H

#include "plugin/data/DataElements.h"

namespace Vellamor::Plugin {

// The one implementation of DataElements: an ordered map from name to an
// element the collection made itself (a copy of what was added).
class DataElementsImpl final : public DataElements {
public:
    DataElementsImpl() = default;
    DataElementsImpl(const DataElementsImpl&) = delete;
    DataElementsImpl& operator=(const DataElementsImpl&) = delete;

    iterator begin() override;
    const_iterator begin() const override;
    iterator end() override;
    const_iterator end() const override;
    std::size_t size() const override;
    bool contains(const std::string& name) const override;

    // Throws PluginException "There is no data element defined with the name
    // \"<name>\"." when none has exactly that name.
    DataElement& get(const std::string& name) override;
    const DataElement& get(const std::string& name) const override;

    // Throws PluginException "Cannot add a data element without a name to
    // DataElements." for an empty name, or the copy's failure; either way
    // the collection is left as it was.
    void add(const DataElement& element) override;

private:
    Map elements_;
};

}  // namespace Vellamor::Plugin

#endif
