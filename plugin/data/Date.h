#ifndef VELLAMOR_PLUGIN_DATA_DATE_H
#define VELLAMOR_PLUGIN_DATA_DATE_H

#include <cstdint>
#include <memory>
#include <string>

namespace Vellamor::Plugin {

// A wall-clock date and time as the host wrote it (ISO 8601 text, no time
// zone). Immutable.
class Date {
public:
    virtual ~Date() = default;

    // "YYYY-MM-DD hh:mm:ss" with ".fraction" (its digits as written) unless
    // the fraction is 0; the year is padded to at least four digits. The text
    // reads back as the same date.
    virtual std::string toString() const = 0;

    // Seconds since 1970-01-01 00:00:00 UTC of the fields read as local
    // standard time; 0 for years before 1970, -1 when not representable.
    virtual std::int64_t toTime() const = 0;
};

// Reads ISO 8601 text into a new date owned by the caller.
// Throws PluginException with the reader's messages on malformed text.
std::unique_ptr<Date> parseDate(const std::string& text);

}  // namespace Vellamor::Plugin

#endif
