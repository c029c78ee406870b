#ifndef VELLAMOR_PLUGIN_DATA_DATATYPE_H
#define VELLAMOR_PLUGIN_DATA_DATATYPE_H

#include <string>

namespace Vellamor::Plugin {

// The type of a data element; the codes are those the host documents carry.
enum class DataType : int {
    Undefined = 0,
    Bool = 1,
    Int = 2,
    Long = 3,
    Float = 4,
    Double = 5,
    Timespan = 6,
    String = 7,
    Date = 8,
};

// The type name the documents carry for a code 0 to 8 ("undefined", "bool",
// "int", "long", "float", "double", "timespan", "string", "date").
std::string dataTypeName(DataType type);

// The code of a type name, ignoring the case of ASCII letters; any other
// text (the empty text included) gives DataType::String.
DataType dataTypeFromName(const std::string& name);

}  // namespace Vellamor::Plugin

#endif
