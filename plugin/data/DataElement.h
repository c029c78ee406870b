#ifndef VELLAMOR_PLUGIN_DATA_DATAELEMENT_H
#define VELLAMOR_PLUGIN_DATA_DATAELEMENT_H

#include "plugin/data/DataType.h"
#include "plugin/data/Date.h"

#include <string>

namespace Vellamor::Plugin {

// One named, typed value exchanged with the host. Name and type are fixed at
// construction; the value starts null and is set by the setters. Every setter
// first discards the old value, so a setter that fails leaves the element
// null. Reading a null element throws DataElementNullException; a conversion
// the type does not allow throws PluginException.
class DataElement {
public:
    virtual ~DataElement() = default;

    virtual std::string getName() const = 0;
    virtual DataType getType() const = 0;
    virtual bool isNull() const = 0;
    virtual void setNull() = 0;

    // The value as text: "true"/"false" for bool, the shortest text that
    // reads back as the same number for the numeric types (0.1,
    // 0.3333333333333333, 1000000; see formatShortestNumber in
    // plugin/data/NumberText.h), the text for string, the date text.
    virtual std::string getString() const = 0;
    // The held date; the element keeps ownership. Only for DataType::Date.
    virtual const Date& getDate() const = 0;
    // The stored number; only for the types bool to timespan.
    virtual double getDouble() const = 0;

    virtual void setDate(const Date& date) = 0;
    virtual void setDouble(double value) = 0;
    virtual void setString(const std::string& text) = 0;
};

}  // namespace Vellamor::Plugin

#endif
