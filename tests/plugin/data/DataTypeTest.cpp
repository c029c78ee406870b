#include "plugin/data/DataType.h"

#include "plugin/PluginException.h"

#include <gtest/gtest.h>

namespace Vellamor::Plugin {
namespace {

TEST(DataTypeTest, NamesMatchCodesIgnoringCase) {
    const char* const names[] = {"undefined", "bool", "int", "long", "float",
                                 "double", "timespan", "string", "date"};
    for (int code = 0; code < 9; ++code) {
        const DataType type = static_cast<DataType>(code);
        EXPECT_EQ(names[code], dataTypeName(type));
        EXPECT_EQ(type, dataTypeFromName(names[code]));
    }
    EXPECT_EQ(DataType::Bool, dataTypeFromName("BOOL"));
    EXPECT_EQ(DataType::Date, dataTypeFromName("Date"));
    EXPECT_EQ(DataType::Timespan, dataTypeFromName("TimeSpan"));
    EXPECT_EQ(DataType::Undefined, dataTypeFromName("UNDEFINED"));
}

TEST(DataTypeTest, UnknownNamesAreStringsAndUnknownCodesFail) {
    for (const char* name : {"", "integer", " int", "int ", "datetime", "boolean"}) {
        EXPECT_EQ(DataType::String, dataTypeFromName(name)) << "'" << name << "'";
    }
    for (int code : {-1, 9}) {
        try {
            dataTypeName(static_cast<DataType>(code));
            ADD_FAILURE() << code;
        } catch (const PluginException& e) {
            EXPECT_EQ("Unknown data type code " + std::to_string(code) + ".", e.getMessage());
        }
    }
}

}  // namespace
}  // namespace Vellamor::Plugin
