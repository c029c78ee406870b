#ifndef VELLAMOR_PLUGIN_DATA_DATAELEMENTS_H
#define VELLAMOR_PLUGIN_DATA_DATAELEMENTS_H

#include "plugin/data/DataElement.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>

namespace Vellamor::Plugin {

// A collection of data elements keyed by name: names are unique and compared
// exactly (case matters), iteration is in ascending byte order of the names.
// The collection owns copies of what is added; elements leave it only by
// being replaced or when it is destroyed.
class DataElements {
public:
    using Map = std::map<std::string, std::unique_ptr<DataElement>>;
    using iterator = Map::iterator;
    using const_iterator = Map::const_iterator;

    virtual ~DataElements() = default;

    virtual iterator begin() = 0;
    virtual const_iterator begin() const = 0;
    virtual iterator end() = 0;
    virtual const_iterator end() const = 0;
    virtual std::size_t size() const = 0;
    virtual bool contains(const std::string& name) const = 0;

    // The held element of exactly that name; the collection keeps ownership.
    // Throws PluginException when there is none.
    virtual DataElement& get(const std::string& name) = 0;
    virtual const DataElement& get(const std::string& name) const = 0;

    // Stores a copy of element, replacing one of the same name. Throws
    // PluginException (and changes nothing) for an empty name or a type that
    // cannot be copied.
    virtual void add(const DataElement& element) = 0;
};

// A new element with that name and type whose value is set from text with
// setString; the failure of setString propagates.
std::unique_ptr<DataElement> createDataElement(const std::string& name, const std::string& value,
                                               DataType type);

// A new, empty collection.
std::unique_ptr<DataElements> createDataElements();

// A new collection holding copies of every element of source.
std::unique_ptr<DataElements> copyDataElements(const DataElements& source);

}  // namespace Vellamor::Plugin

#endif
