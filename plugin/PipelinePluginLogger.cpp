#include "plugin/PipelinePluginLogger.h"

#include "util/platform/Platform.h"

#include <fstream>
#include <utility>

namespace Vellamor::Plugin {

namespace {

const char* severityWord(Severity severity) {
    switch (severity) {
        case Warning:
            return "Warning";
        case Error:
            return "Error";
        default:
            return "Informational";
    }
}

}  // namespace

PipelinePluginLoggerImpl::PipelinePluginLoggerImpl(bool enabled, std::string logFilePath)
    : enabled_(enabled), logFilePath_(std::move(logFilePath)) {}

void PipelinePluginLoggerImpl::log(const std::string& message, Severity severity) {
    if (!enabled_ || message.empty()) {
        return;
    }
    try {
        std::ofstream file(logFilePath_, std::ios_base::out | std::ios_base::app);
        if (!file) {
            return;
        }
        file << "[" << severityWord(severity) << ", " << ostrel::platform::currentLocalTimeText() << "] "
             << message << "\n";
        file.flush();
    } catch (const std::exception&) {
        // Logging must never disturb the run it describes.
    }
}

}  // namespace Vellamor::Plugin
