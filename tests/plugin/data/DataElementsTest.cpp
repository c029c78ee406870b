#include "plugin/data/DataElements.h"

#include "plugin/PluginException.h"
#include "plugin/data/DataElementImpl.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Vellamor::Plugin {
namespace {

std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const PluginException& e) {
        return e.getMessage();
    }
    return "no failure";
}

std::vector<std::string> namesOf(const DataElements& elements) {
    std::vector<std::string> names;
    for (const auto& entry : elements) {
        names.push_back(entry.first);
        EXPECT_EQ(entry.first, entry.second->getName());
    }
    return names;
}

// An element of another implementation that claims to hold a value of any
// type, so that copies of types that cannot hold one can be attempted.
class ClaimingElement final : public DataElement {
public:
    ClaimingElement(std::string name, DataType type) : name_(std::move(name)), type_(type) {}
    std::string getName() const override { return name_; }
    DataType getType() const override { return type_; }
    bool isNull() const override { return false; }
    void setNull() override {}
    std::string getString() const override { return "text"; }
    const Date& getDate() const override { throw PluginException("no date"); }
    double getDouble() const override { return 1.5; }
    void setDate(const Date&) override {}
    void setDouble(double) override {}
    void setString(const std::string&) override {}

private:
    std::string name_;
    DataType type_;
};

TEST(DataElementsTest, AddReplacesByExactName) {
    const std::unique_ptr<DataElements> elements = createDataElements();
    EXPECT_EQ(0u, elements->size());

    elements->add(*createDataElement("A", "first", DataType::String));
    elements->add(*createDataElement("A", "7", DataType::Int));
    EXPECT_EQ(1u, elements->size());
    EXPECT_EQ(DataType::Int, elements->get("A").getType());
    EXPECT_EQ("7", elements->get("A").getString());

    EXPECT_TRUE(elements->contains("A"));
    EXPECT_FALSE(elements->contains("a"));
    EXPECT_FALSE(elements->contains("A "));
    EXPECT_EQ("There is no data element defined with the name \"a\".", failureOf([&] { elements->get("a"); }));
    const DataElements& readOnly = *elements;
    EXPECT_EQ("There is no data element defined with the name \"\".", failureOf([&] { readOnly.get(""); }));

    // Names that differ in case are two elements.
    elements->add(*createDataElement("a", "x", DataType::String));
    EXPECT_EQ(2u, elements->size());

    // Re-adding a held element replaces it with a copy of itself.
    elements->add(elements->get("A"));
    EXPECT_EQ("7", elements->get("A").getString());
}

TEST(DataElementsTest, HoldsCopiesThatItsUsersMayChange) {
    const std::unique_ptr<DataElement> original = createDataElement("N", "1", DataType::Double);
    const std::unique_ptr<DataElements> elements = createDataElements();
    elements->add(*original);
    original->setDouble(2.0);
    EXPECT_EQ(1.0, elements->get("N").getDouble());

    elements->get("N").setDouble(3.0);
    EXPECT_EQ(3.0, elements->get("N").getDouble());
    EXPECT_EQ(2.0, original->getDouble());

    const std::unique_ptr<DataElements> copy = copyDataElements(*elements);
    copy->get("N").setDouble(4.0);
    EXPECT_EQ(3.0, elements->get("N").getDouble());
}

TEST(DataElementsTest, IteratesInByteOrderOfNames) {
    const std::unique_ptr<DataElements> elements = createDataElements();
    for (const char* name : {"b", "a", "B", "_", "Z", "aa", "\xC3\xA9"}) {
        elements->add(*createDataElement(name, "v", DataType::String));
    }
    const std::vector<std::string> expected = {"B", "Z", "_", "a", "aa", "b", "\xC3\xA9"};
    EXPECT_EQ(expected, namesOf(*elements));
    EXPECT_EQ(expected, namesOf(*copyDataElements(*elements)));
}

TEST(DataElementsTest, FailedAddLeavesCollectionUnchanged) {
    const std::unique_ptr<DataElements> elements = createDataElements();
    elements->add(*createDataElement("Kept", "1", DataType::Int));

    EXPECT_EQ("Cannot add a data element without a name to DataElements.",
              failureOf([&] { elements->add(*createDataElement("", "1", DataType::Int)); }));
    EXPECT_EQ("Failed to create data element of type \"timespan\". Type not supported.",
              failureOf([&] { elements->add(ClaimingElement("Kept", DataType::Timespan)); }));
    EXPECT_EQ("Failed to create data element of type \"undefined\". Type not supported.",
              failureOf([&] { elements->add(ClaimingElement("Kept", DataType::Undefined)); }));

    EXPECT_EQ(std::vector<std::string>{"Kept"}, namesOf(*elements));
    EXPECT_EQ(1.0, elements->get("Kept").getDouble());
}

TEST(DataElementsTest, CopiesKeepTypeValueAndNullOfEveryType) {
    const std::unique_ptr<DataElements> source = createDataElements();
    source->add(*createDataElement("Bool", "yes", DataType::Bool));
    source->add(*createDataElement("Float", "0.1", DataType::Float));
    source->add(*createDataElement("String", "text", DataType::String));
    source->add(*createDataElement("Date", "2024-03-05T14:30:15.250Z", DataType::Date));
    source->add(DataElementImpl("NullDate", DataType::Date));
    source->add(DataElementImpl("NullTimespan", DataType::Timespan));
    source->add(DataElementImpl("NullUndefined", DataType::Undefined));
    source->add(ClaimingElement("Claimed", DataType::Long));

    const std::unique_ptr<DataElements> copy = copyDataElements(*source);
    ASSERT_EQ(source->size(), copy->size());
    EXPECT_EQ(1.0, copy->get("Bool").getDouble());
    EXPECT_EQ(0.1, copy->get("Float").getDouble());
    EXPECT_EQ("text", copy->get("String").getString());
    EXPECT_EQ("2024-03-05 14:30:15.250", copy->get("Date").getString());
    EXPECT_EQ(1.5, copy->get("Claimed").getDouble());
    for (const char* name : {"NullDate", "NullTimespan", "NullUndefined"}) {
        EXPECT_TRUE(copy->get(name).isNull()) << name;
        EXPECT_EQ(source->get(name).getType(), copy->get(name).getType()) << name;
    }
}

TEST(DataElementsTest, DatesOfEveryReadableYearSurviveCopying) {
    const std::unique_ptr<DataElements> elements = createDataElements();
    elements->add(*createDataElement("Early", "0999-01-01T00:00:00", DataType::Date));
    elements->add(*createDataElement("Zero", "0000-06-15", DataType::Date));
    elements->add(*createDataElement("Negative", "-001-01-01T12:00:00.5", DataType::Date));
    elements->add(*createDataElement("Wide", "12345-3-05T4:30:15.1", DataType::Date));
    elements->add(*createDataElement("Hundredths", "-1000-03-05T14:30:15.05", DataType::Date));

    const std::unique_ptr<DataElements> copy = copyDataElements(*elements);
    const std::unique_ptr<DataElements> copyOfCopy = copyDataElements(*copy);
    EXPECT_EQ("0999-01-01 00:00:00", copyOfCopy->get("Early").getString());
    EXPECT_EQ("0000-06-15 00:00:00", copyOfCopy->get("Zero").getString());
    EXPECT_EQ("-001-01-01 12:00:00.5", copyOfCopy->get("Negative").getString());
    EXPECT_EQ("12345-03-05 04:30:15.1", copyOfCopy->get("Wide").getString());
    EXPECT_EQ("-1000-03-05 14:30:15.05", copyOfCopy->get("Hundredths").getString());
    DataElementImpl target("D", DataType::Date);
    target.setDate(copyOfCopy->get("Wide").getDate());
    EXPECT_EQ("12345-03-05 04:30:15.1", target.getString());

    // The written text is itself valid input.
    const std::unique_ptr<DataElement> reread =
        createDataElement("Early", copyOfCopy->get("Early").getString(), DataType::Date);
    EXPECT_EQ("0999-01-01 00:00:00", reread->getString());
}

}  // namespace
}  // namespace Vellamor::Plugin
