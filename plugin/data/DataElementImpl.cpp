#include "plugin/data/DataElementImpl.h"

#include "plugin/PluginException.h"
#include "plugin/data/DataElementNullException.h"
#include "plugin/data/NumberText.h"
#include "util/Strings.h"

#include <utility>

namespace Vellamor::Plugin {

namespace {

// Significant digits of the text setDouble stores in a string element. The
// text of a numeric element is the shortest exact one instead
// (formatShortestNumber): the value goes back to the host through it.
constexpr int kStoredTextDigits = 15;

bool holdsNumber(DataType type) {
    switch (type) {
        case DataType::Bool:
        case DataType::Int:
        case DataType::Long:
        case DataType::Float:
        case DataType::Double:
            return true;
        default:
            return false;
    }
}

// The bool reading of text: "false" in any case, the empty text and a run of
// '0' are false; everything else is true.
double boolFromText(const std::string& text) {
    if (text.empty() || ostrel::equalsIgnoreCase(text, "false")) {
        return 0.0;
    }
    if (ostrel::equalsIgnoreCase(text, "true")) {
        return 1.0;
    }
    return text.find_first_not_of('0') == std::string::npos ? 0.0 : 1.0;
}

}  // namespace

DataElementImpl::DataElementImpl(std::string name, DataType type)
    : type_(type), name_(std::move(name)) {}

std::unique_ptr<DataElementImpl> DataElementImpl::fromHost(std::string name,
                                                           const std::optional<std::string>& typeText,
                                                           std::optional<std::string> valueText) {
    // A missing Type attribute names string, as the empty text does.
    const DataType type = dataTypeFromName(typeText.value_or(std::string()));
    auto element = std::make_unique<DataElementImpl>(std::move(name), type);
    if (!valueText) {
        // Null: nothing to read.
    } else if (type == DataType::String) {
        // The text is the value, taken over rather than copied: a value may
        // be as large as the document.
        element->value_ = std::move(*valueText);
    } else {
        element->setString(*valueText);
        element->hostValueText_ = std::move(valueText);
    }
    if (typeText && *typeText != dataTypeName(type)) {
        element->hostTypeName_ = typeText;
    }
    return element;
}

std::unique_ptr<DataElementImpl> DataElementImpl::copyOf(const DataElement& source) {
    auto copy = std::make_unique<DataElementImpl>(source.getName(), source.getType());
    const auto* const keeper = dynamic_cast<const DataElementImpl*>(&source);
    if (keeper != nullptr) {
        copy->hostTypeName_ = keeper->hostTypeName_;
    }
    if (source.isNull()) {
        return copy;
    }
    const DataType type = copy->type_;
    if (holdsNumber(type)) {
        copy->setDouble(source.getDouble());
    } else if (type == DataType::String) {
        // getString already made the one copy the new element needs.
        copy->value_ = source.getString();
    } else if (type == DataType::Date) {
        copy->setDate(source.getDate());
    } else {
        throw PluginException("Failed to create data element of type \"" + dataTypeName(type) +
                              "\". Type not supported.");
    }
    if (keeper != nullptr) {
        copy->hostValueText_ = keeper->hostValueText_;
    }
    return copy;
}

std::string DataElementImpl::getName() const {
    return name_;
}

DataType DataElementImpl::getType() const {
    return type_;
}

bool DataElementImpl::isNull() const {
    return std::holds_alternative<std::monostate>(value_);
}

void DataElementImpl::setNull() {
    value_ = std::monostate();
    hostValueText_.reset();
}

void DataElementImpl::requireValue() const {
    if (isNull()) {
        throw DataElementNullException("A null data element has been accessed. Data element name is '" +
                                       name_ + "'.");
    }
}

std::string DataElementImpl::getString() const {
    requireValue();
    switch (type_) {
        case DataType::Bool:
            return std::get<double>(value_) == 0.0 ? "false" : "true";
        case DataType::String:
            return std::get<std::string>(value_);
        case DataType::Date:
            return std::get<std::unique_ptr<Date>>(value_)->toString();
        default:
            return formatShortestNumber(std::get<double>(value_));
    }
}

const Date& DataElementImpl::getDate() const {
    requireValue();
    if (type_ != DataType::Date) {
        throw PluginException("Cannot convert from " + dataTypeName(type_) + " to date.");
    }
    return *std::get<std::unique_ptr<Date>>(value_);
}

double DataElementImpl::getDouble() const {
    requireValue();
    if (!holdsNumber(type_)) {
        throw PluginException("Cannot convert from " + dataTypeName(type_) + " to double.");
    }
    return std::get<double>(value_);
}

std::string DataElementImpl::hostTypeText() const {
    return hostTypeName_ ? *hostTypeName_ : dataTypeName(type_);
}

std::string DataElementImpl::hostValueText() const {
    requireValue();
    return hostValueText_ ? *hostValueText_ : getString();
}

// Each setter discards the old value first, so that a setter that fails
// leaves the element null rather than holding a stale value, and a value the
// plugin sets goes back to the host from its typed form, not as the host's
// old text.

void DataElementImpl::setDate(const Date& date) {
    // A copy through the text form, which keeps every field of the date. The
    // text is taken before the old value goes: date may be the one this
    // element holds (element.setDate(element.getDate())).
    const std::string text = date.toString();
    setNull();
    if (type_ != DataType::Date) {
        throw PluginException("Cannot convert a date to a data element of type " + dataTypeName(type_) +
                              ".");
    }
    value_ = parseDate(text);
}

void DataElementImpl::setDouble(double value) {
    setNull();
    if (holdsNumber(type_)) {
        value_ = value;
    } else if (type_ == DataType::String) {
        value_ = formatNumber(value, kStoredTextDigits);
    } else {
        throw PluginException("Illegal data type conversion, cannot convert a number to a " +
                              dataTypeName(type_) + ".");
    }
}

void DataElementImpl::setString(const std::string& text) {
    setNull();
    if (type_ == DataType::Bool) {
        value_ = boolFromText(text);
    } else if (holdsNumber(type_)) {
        value_ = readNumberPrefix(text);
    } else if (type_ == DataType::String) {
        value_ = text;
    } else if (type_ == DataType::Date) {
        value_ = parseDate(text);
    } else {
        throw PluginException("Cannot convert a string to data type " + dataTypeName(type_) + ".");
    }
}

std::string hostTypeText(const DataElement& element) {
    const auto* const keeper = dynamic_cast<const DataElementImpl*>(&element);
    return keeper != nullptr ? keeper->hostTypeText() : dataTypeName(element.getType());
}

std::string hostValueText(const DataElement& element) {
    const auto* const keeper = dynamic_cast<const DataElementImpl*>(&element);
    return keeper != nullptr ? keeper->hostValueText() : element.getString();
}

}  // namespace Vellamor::Plugin
