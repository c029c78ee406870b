#ifndef VELLAMOR_PLUGIN_DATA_DATAELEMENTIMPL_H
#define VELLAMOR_PLUGIN_DATA_DATAELEMENTIMPL_H

#include "plugin/data/DataElement.h"

#include <memory>
#include <string>
#include <variant>

namespace Vellamor::Plugin {

// The one implementation of DataElement. The value is a number for the types
// bool to double, an owned text for string and an owned Date for date; the
// types undefined and timespan never hold a value. Conversions and their
// failure messages are those of DataElement.
class DataElementImpl final : public DataElement {
public:
    // A null element of that name and type.
    DataElementImpl(std::string name, DataType type);

    // A new element with the name, type and value of source (null if source
    // is null). Throws PluginException "Failed to create data element of type
    // \"<type>\". Type not supported." for a non-null undefined or timespan
    // source, and the date reader's message when a date does not read back.
    static std::unique_ptr<DataElementImpl> copyOf(const DataElement& source);

    DataElementImpl(const DataElementImpl&) = delete;
    DataElementImpl& operator=(const DataElementImpl&) = delete;

    std::string getName() const override;
    DataType getType() const override;
    bool isNull() const override;
    void setNull() override;

    std::string getString() const override;
    const Date& getDate() const override;
    double getDouble() const override;

    void setDate(const Date& date) override;
    void setDouble(double value) override;
    void setString(const std::string& text) override;

private:
    // Throws DataElementNullException when the element holds no value.
    void requireValue() const;

    // monostate while null.
    using Value = std::variant<std::monostate, double, std::string, std::unique_ptr<Date>>;

    DataType type_;
    Value value_;
    std::string name_;
};

}  // namespace Vellamor::Plugin

#endif
