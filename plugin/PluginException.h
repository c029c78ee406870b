#ifndef VELLAMOR_PLUGIN_PLUGINEXCEPTION_H
#define VELLAMOR_PLUGIN_PLUGINEXCEPTION_H

#include <string>
#include <utility>

namespace Vellamor::Plugin {

// The runtime's exception: one complete message. Thrown by value, caught by
// reference. Deliberately not derived from std::exception: the run driver's
// handlers tell the runtime's failures, the standard library's and the
// utility library's (CrException) apart.
class PluginException {
public:
    explicit PluginException(std::string message) : message_(std::move(message)) {}
    virtual ~PluginException() = default;

    virtual std::string getMessage() const { return message_; }

private:
    std::string message_;
};

// Thrown by the input document reader and by pipeline plugins.
class PipelinePluginException : public PluginException {
public:
    explicit PipelinePluginException(std::string message) : PluginException(std::move(message)) {}
};

}  // namespace Vellamor::Plugin

#endif
