#include "plugin/data/DataElementImpl.h"

#include "plugin/PluginException.h"
#include "plugin/data/DataElementNullException.h"
#include "plugin/data/DataElements.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

namespace Vellamor::Plugin {
namespace {

std::unique_ptr<DataElement> element(DataType type, const std::string& value) {
    return createDataElement("E", value, type);
}

// The message of the PluginException that action throws.
std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const PluginException& e) {
        return e.getMessage();
    }
    return "no failure";
}

TEST(DataElementTest, BoolTextRules) {
    for (const char* text : {"", "false", "FALSE", "fAlSe", "0", "000"}) {
        EXPECT_EQ("false", element(DataType::Bool, text)->getString()) << "'" << text << "'";
        EXPECT_EQ(0.0, element(DataType::Bool, text)->getDouble()) << "'" << text << "'";
    }
    for (const char* text : {"true", "TRUE", "True", "1", "yes", "no", "off", "0.0", " false", "false ", "00x"}) {
        EXPECT_EQ("true", element(DataType::Bool, text)->getString()) << "'" << text << "'";
        EXPECT_EQ(1.0, element(DataType::Bool, text)->getDouble()) << "'" << text << "'";
    }
    // A bool set from a number keeps it; only zero reads as false.
    DataElementImpl flag("F", DataType::Bool);
    flag.setDouble(2.5);
    EXPECT_EQ(2.5, flag.getDouble());
    EXPECT_EQ("true", flag.getString());
    flag.setDouble(0.0);
    EXPECT_EQ("false", flag.getString());
}

TEST(DataElementTest, NumericTypesReadTheNumericPrefix) {
    for (DataType type : {DataType::Int, DataType::Long, DataType::Float, DataType::Double}) {
        EXPECT_EQ(3.7, element(type, "3.7")->getDouble());
        EXPECT_EQ("3.7", element(type, "3.7")->getString());
    }
    EXPECT_EQ(-350.0, element(DataType::Double, "  -3.5e2xyz")->getDouble());
    EXPECT_EQ(12.0, element(DataType::Double, "12abc")->getDouble());
    EXPECT_EQ(0.0, element(DataType::Double, "abc")->getDouble());
    EXPECT_EQ(0.0, element(DataType::Double, "")->getDouble());
    // Nothing is truncated or narrowed for the integer and float types.
    EXPECT_EQ(0.1, element(DataType::Float, "0.1")->getDouble());
    EXPECT_EQ(2.5, element(DataType::Int, "2.5")->getDouble());
}

TEST(DataElementTest, NumberTextsUseSixAndFifteenDigits) {
    DataElementImpl number("N", DataType::Double);
    const auto textOf = [&number](double value) {
        number.setDouble(value);
        return number.getString();
    };
    EXPECT_EQ("1.23457e+06", textOf(1234567.0));
    EXPECT_EQ("999999", textOf(999999.0));
    EXPECT_EQ("123457", textOf(123456.7));
    EXPECT_EQ("0.1", textOf(0.1));
    EXPECT_EQ("3", textOf(3.0));
    EXPECT_EQ("0.333333", textOf(1.0 / 3.0));
    EXPECT_EQ("0.0001", textOf(0.0001));
    EXPECT_EQ("1e-05", textOf(0.00001));
    EXPECT_EQ("-2.5", textOf(-2.5));

    DataElementImpl text("T", DataType::String);
    const auto storedTextOf = [&text](double value) {
        text.setDouble(value);
        return text.getString();
    };
    EXPECT_EQ("0.1", storedTextOf(0.1));
    EXPECT_EQ("0.333333333333333", storedTextOf(1.0 / 3.0));
    EXPECT_EQ("3", storedTextOf(3.0));
    EXPECT_EQ("123456789012345", storedTextOf(123456789012345.0));
    EXPECT_EQ("1.23456789012346e+15", storedTextOf(1234567890123456.0));
    EXPECT_EQ("1e-05", storedTextOf(0.00001));
}

TEST(DataElementTest, StringAndDateValues) {
    EXPECT_EQ(" any text ", element(DataType::String, " any text ")->getString());
    EXPECT_EQ("", element(DataType::String, "")->getString());
    EXPECT_FALSE(element(DataType::String, "")->isNull());

    const std::unique_ptr<DataElement> date = element(DataType::Date, "2024-03-05T14:30:15.250");
    EXPECT_EQ("2024-03-05 14:30:15.250", date->getString());
    EXPECT_EQ("2024-03-05 14:30:15.250", date->getDate().toString());

    DataElementImpl target("D", DataType::Date);
    target.setDate(date->getDate());
    EXPECT_EQ("2024-03-05 14:30:15.250", target.getString());
    // The element holds its own copy.
    EXPECT_NE(&date->getDate(), &target.getDate());
}

TEST(DataElementTest, NullElements) {
    DataElementImpl fresh("Name", DataType::Double);
    EXPECT_TRUE(fresh.isNull());
    EXPECT_EQ("Name", fresh.getName());
    EXPECT_EQ(DataType::Double, fresh.getType());

    const std::string nullMessage = "A null data element has been accessed. Data element name is 'Name'.";
    for (DataType type : {DataType::Undefined, DataType::Bool, DataType::Double, DataType::Timespan,
                          DataType::String, DataType::Date}) {
        const DataElementImpl empty("Name", type);
        EXPECT_EQ(nullMessage, failureOf([&] { empty.getString(); }));
        EXPECT_EQ(nullMessage, failureOf([&] { empty.getDouble(); }));
        EXPECT_EQ(nullMessage, failureOf([&] { empty.getDate(); }));
        EXPECT_THROW(empty.getString(), DataElementNullException);
    }

    fresh.setDouble(4.0);
    EXPECT_FALSE(fresh.isNull());
    fresh.setNull();
    EXPECT_TRUE(fresh.isNull());
    EXPECT_THROW(fresh.getDouble(), DataElementNullException);
}

TEST(DataElementTest, FailedSetterLeavesTheElementNull) {
    const std::unique_ptr<DataElement> date = element(DataType::Date, "2024-03-05");

    DataElementImpl text("T", DataType::String);
    text.setString("kept?");
    EXPECT_THROW(text.setDate(date->getDate()), PluginException);
    EXPECT_TRUE(text.isNull());

    DataElementImpl when("D", DataType::Date);
    when.setString("2024-03-05");
    EXPECT_THROW(when.setString("not a date"), PluginException);
    EXPECT_TRUE(when.isNull());

    when.setString("2024-03-05");
    EXPECT_THROW(when.setDouble(1.0), PluginException);
    EXPECT_TRUE(when.isNull());

    DataElementImpl number("N", DataType::Int);
    number.setDouble(1.0);
    EXPECT_THROW(number.setDate(date->getDate()), PluginException);
    EXPECT_TRUE(number.isNull());
}

TEST(DataElementTest, ConversionFailureMessages) {
    const std::unique_ptr<DataElement> date = element(DataType::Date, "2024-03-05");
    const std::unique_ptr<DataElement> text = element(DataType::String, "12");
    const std::unique_ptr<DataElement> number = element(DataType::Int, "12");

    EXPECT_EQ("Cannot convert from string to double.", failureOf([&] { text->getDouble(); }));
    EXPECT_EQ("Cannot convert from date to double.", failureOf([&] { date->getDouble(); }));
    EXPECT_EQ("Cannot convert from int to date.", failureOf([&] { number->getDate(); }));
    EXPECT_EQ("Cannot convert from string to date.", failureOf([&] { text->getDate(); }));

    DataElementImpl undefined("U", DataType::Undefined);
    DataElementImpl timespan("S", DataType::Timespan);
    EXPECT_EQ("Cannot convert a string to data type undefined.", failureOf([&] { undefined.setString("1"); }));
    EXPECT_EQ("Cannot convert a string to data type timespan.", failureOf([&] { timespan.setString("1"); }));
    EXPECT_EQ("Illegal data type conversion, cannot convert a number to a undefined.",
              failureOf([&] { undefined.setDouble(1.0); }));
    EXPECT_EQ("Illegal data type conversion, cannot convert a number to a timespan.",
              failureOf([&] { timespan.setDouble(1.0); }));
    EXPECT_EQ("Illegal data type conversion, cannot convert a number to a date.",
              failureOf([&] { DataElementImpl("D", DataType::Date).setDouble(1.0); }));
    EXPECT_EQ("Cannot convert a date to a data element of type string.",
              failureOf([&] { DataElementImpl("T", DataType::String).setDate(date->getDate()); }));
    EXPECT_EQ("Cannot convert a date to a data element of type bool.",
              failureOf([&] { DataElementImpl("B", DataType::Bool).setDate(date->getDate()); }));
}

TEST(DataElementTest, CreateDataElementPropagatesSetStringFailure) {
    EXPECT_EQ("Could not convert '' to a date. Invalid ISO 8601 format: It has less than 19 characters.",
              failureOf([] { createDataElement("D", "", DataType::Date); }));
    EXPECT_EQ("Cannot convert a string to data type timespan.",
              failureOf([] { createDataElement("S", "", DataType::Timespan); }));

    const std::unique_ptr<DataElement> created = createDataElement("Count", "42", DataType::Long);
    EXPECT_EQ("Count", created->getName());
    EXPECT_EQ(DataType::Long, created->getType());
    EXPECT_EQ(42.0, created->getDouble());
}

}  // namespace
}  // namespace Vellamor::Plugin
