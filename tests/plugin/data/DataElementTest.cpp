#include "plugin/data/DataElementImpl.h"

#include "plugin/PluginException.h"
#include "plugin/data/DataElementNullException.h"
#include "plugin/data/DataElements.h"
#include "plugin/data/NumberText.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
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

// A numeric element's text is the shortest that reads back as the same
// number (formatShortestNumber; NumberTextTest holds its table), never six
// digits that lose the value; a number stored in a string element keeps 15.
TEST(DataElementTest, NumberTextsAreShortestExactButFifteenDigitsInAString) {
    for (DataType type : {DataType::Int, DataType::Long, DataType::Float, DataType::Double}) {
        DataElementImpl number("N", type);
        for (const double value : {1234567.0, 123456.7, 1.0 / 3.0, 0.1, -2.5, 9007199254740994.0}) {
            number.setDouble(value);
            EXPECT_EQ(formatShortestNumber(value), number.getString()) << value;
            EXPECT_EQ(value, element(type, number.getString())->getDouble()) << value;
        }
    }
    EXPECT_EQ("1234567", element(DataType::Int, "1234567")->getString());
    EXPECT_EQ("0.3333333333333333", element(DataType::Double, "0.33333333333333331")->getString());

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

// An element read from input.xml goes back to the host with the Type and
// value texts it came with, copies included, while it reads as its type says;
// a setter drops the value text (the type text stays with the element).
TEST(DataElementTest, HostTextsGoBackUntilThePluginSetsTheValue) {
    const struct {
        const char* type;  // nullptr: no Type attribute
        const char* value;
        const char* typeBack;  // the Type text that goes back
        const char* read;      // what the plugin's getString sees
    } cases[] = {
        {"int", "1000000", "int", "1000000"},
        {"INT", " 12abc", "INT", "12"},
        {"long", "9007199254740993", "long", "9007199254740992"},
        {"double", "1e309", "double", "1e309"},
        {"double", "-nan", "double", "0"},
        {"Bool", "Yes", "Bool", "true"},
        {"date", "2026-12-09T10:11:12.9999999999+02:00", "date", "2026-12-09 10:11:12"},
        {"guid", "{0A-1B}", "guid", "{0A-1B}"},
        {"", "text", "", "text"},
        {nullptr, "text", "string", "text"},
        {"STRING", "", "STRING", ""},
    };
    for (const auto& c : cases) {
        const std::optional<std::string> type = c.type != nullptr ? std::optional<std::string>(c.type) : std::nullopt;
        const std::unique_ptr<DataElementImpl> host = DataElementImpl::fromHost("E", type, c.value);
        const char* const typeShown = c.type != nullptr ? c.type : "(none)";
        EXPECT_EQ(c.read, host->getString()) << typeShown << " " << c.value;
        const std::unique_ptr<DataElements> copies = createDataElements();
        copies->add(*host);
        const std::unique_ptr<DataElements> copyOfCopies = copyDataElements(*copies);
        const DataElement* const keepers[] = {host.get(), &copyOfCopies->get("E")};
        for (const DataElement* kept : keepers) {
            EXPECT_EQ(c.typeBack, hostTypeText(*kept)) << typeShown << " " << c.value;
            EXPECT_EQ(c.value, hostValueText(*kept)) << typeShown << " " << c.value;
        }
    }

    const std::unique_ptr<DataElementImpl> count = DataElementImpl::fromHost("C", "INT", "1e6");
    count->setDouble(1.0 / 3.0);
    EXPECT_EQ("0.3333333333333333", hostValueText(*count));
    count->setString("007");
    EXPECT_EQ("7", hostValueText(*count));
    EXPECT_EQ("INT", hostTypeText(*count));
    count->setNull();
    EXPECT_THROW(hostValueText(*count), DataElementNullException);
    EXPECT_EQ("INT", hostTypeText(*count));

    const std::unique_ptr<DataElementImpl> when = DataElementImpl::fromHost("D", "date", "2026-12-09T10:11:12Z");
    // Its own date, which the setter must read before it lets the old value go.
    when->setDate(when->getDate());
    EXPECT_EQ("2026-12-09 10:11:12", hostValueText(*when));

    // Types the runtime cannot hold still fail, whatever their spelling.
    EXPECT_EQ("Cannot convert a string to data type timespan.",
              failureOf([] { DataElementImpl::fromHost("S", "TimeSpan", "00:01:00"); }));
    EXPECT_EQ("Cannot convert a string to data type undefined.",
              failureOf([] { DataElementImpl::fromHost("U", "undefined", ""); }));
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
