#ifndef VELLAMOR_PLUGIN_DATA_DATAELEMENTNULLEXCEPTION_H
#define VELLAMOR_PLUGIN_DATA_DATAELEMENTNULLEXCEPTION_H

#include "plugin/PluginException.h"

namespace Vellamor::Plugin {

// Thrown when the value of a null data element is read.
class DataElementNullException : public PluginException {
public:
    explicit DataElementNullException(std::string message) : PluginException(std::move(message)) {}
};

}  // namespace Vellamor::Plugin

#endif
