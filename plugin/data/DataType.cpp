#include "plugin/data/DataType.h"

#include "plugin/PluginException.h"
#include "util/Strings.h"

#include <array>

namespace Vellamor::Plugin {

namespace {

// Indexed by the type code; the documents carry these names.
constexpr std::array<const char*, 9> kTypeNames = {
    "undefined", "bool", "int", "long", "float", "double", "timespan", "string", "date",
};

}  // namespace

std::string dataTypeName(DataType type) {
    const int code = static_cast<int>(type);
    if (code < 0 || code >= static_cast<int>(kTypeNames.size())) {
        // Only a cast can make such a value; refuse it rather than read past the table.
        throw PluginException("Unknown data type code " + std::to_string(code) + ".");
    }
    return kTypeNames[static_cast<std::size_t>(code)];
}

DataType dataTypeFromName(const std::string& name) {
    for (std::size_t code = 0; code < kTypeNames.size(); ++code) {
        if (ostrel::equalsIgnoreCase(name, kTypeNames[code])) {
            return static_cast<DataType>(code);
        }
    }
    return DataType::String;
}

}  // namespace Vellamor::Plugin
