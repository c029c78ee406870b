#ifndef VELLAMOR_PLUGIN_LOGMESSAGE_H
#define VELLAMOR_PLUGIN_LOGMESSAGE_H

#include <cstdint>
#include <string>

namespace Vellamor::Plugin {

enum Severity : std::int32_t {
    Information = 0,
    Warning = 1,
    Error = 2,
};

// The one message of a run or of an output file. The empty text means there
// is no message.
struct LogMessage {
    std::string message;
    Severity severity = Information;
};

}  // namespace Vellamor::Plugin

#endif
