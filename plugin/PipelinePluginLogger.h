#ifndef VELLAMOR_PLUGIN_PIPELINEPLUGINLOGGER_H
#define VELLAMOR_PLUGIN_PIPELINEPLUGINLOGGER_H

#include "plugin/LogMessage.h"

#include <string>

namespace Vellamor::Plugin {

// A log a plugin may keep for itself. The runtime never creates one: the host
// hears from a plugin only through the output's LogMessage.
class Logger {
public:
    virtual ~Logger() = default;
    virtual void log(const std::string& message, Severity severity) = 0;
};

// Appends "[Word, <ctime-style local time>] message" lines to a file. Logging
// is best effort: a file that cannot be opened or written is ignored, and
// nothing is ever thrown.
class PipelinePluginLoggerImpl final : public Logger {
public:
    PipelinePluginLoggerImpl(bool enabled, std::string logFilePath);
    void log(const std::string& message, Severity severity) override;

private:
    bool enabled_;
    std::string logFilePath_;
};

}  // namespace Vellamor::Plugin

#endif
