#ifndef VELLAMOR_PLUGIN_DATA_DATAELEMENTIMPL_H
#define VELLAMOR_PLUGIN_DATA_DATAELEMENTIMPL_H

#include "plugin/data/DataElement.h"

#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace Vellamor::Plugin {

// The one implementation of DataElement. The value is a number for the types
// bool to double, an owned text for string and an owned Date for date; the
// types undefined and timespan never hold a value. Conversions and their
// failure messages are those of DataElement.
//
// An element read from input.xml also keeps, for output.xml only, the texts
// the host wrote: the Type text, for the element's whole life (its type never
// changes), and the value text, until a setter changes the value. The host
// so gets back exactly what it sent for every element the plugin leaves
// alone, whatever the typed value makes of it (hostTypeText, hostValueText).
// A string's value text is its value and is not held twice.
class DataElementImpl final : public DataElement {
public:
    // A null element of that name and type.
    DataElementImpl(std::string name, DataType type);

    // An element read from input.xml: of the type dataTypeFromName(typeText)
    // (no text: the element had no Type attribute, which names string), its
    // value set from valueText as setString sets it (whose failure
    // propagates), and the two texts kept for output. No valueText: the host
    // marked the element null, and it stays null.
    static std::unique_ptr<DataElementImpl> fromHost(std::string name, const std::optional<std::string>& typeText,
                                                     std::optional<std::string> valueText);

    // A new element with the name, type and value of source (null if source
    // is null), and the host's texts when source is a DataElementImpl that
    // keeps them. Throws PluginException "Failed to create data element of
    // type \"<type>\". Type not supported." for a non-null undefined or
    // timespan source, and the date reader's message when a date does not
    // read back.
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

    // The Type text output.xml carries: the host's, else the type's name.
    std::string hostTypeText() const;
    // The value text output.xml carries for a non-null element: the host's
    // while the value is the one it sent, else getString. Throws
    // DataElementNullException for a null element.
    std::string hostValueText() const;

private:
    // Throws DataElementNullException when the element holds no value.
    void requireValue() const;

    // monostate while null.
    using Value = std::variant<std::monostate, double, std::string, std::unique_ptr<Date>>;

    DataType type_;
    Value value_;
    std::string name_;
    // The host's Type text when it differs from the type's name ("INT",
    // "guid", ""), else none.
    std::optional<std::string> hostTypeName_;
    // The host's value text of a non-string element whose value no setter
    // has changed since.
    std::optional<std::string> hostValueText_;
};

// What output.xml carries for any element: the host's texts for a
// DataElementImpl (above), the type's name and getString for an element of
// another implementation. hostValueText throws DataElementNullException for
// a null element.
std::string hostTypeText(const DataElement& element);
std::string hostValueText(const DataElement& element);

}  // namespace Vellamor::Plugin

#endif
