#ifndef VELLAMOR_PLUGIN_DATA_DATEIMPL_H
#define VELLAMOR_PLUGIN_DATA_DATEIMPL_H

#include "plugin/data/Date.h"

#include <cstdint>
#include <string>

namespace Vellamor::Plugin {

// The calendar fields of an ISO 8601 text exactly as written: no range check
// and no normalisation (month 13 stays 13), year and month as written (2024,
// 1 for January). Only the text reader makes one; it never changes after.
class DateImpl final : public Date {
public:
    // Reads "YYYY-MM-DD?hh:mm:ss[.fraction]" (any one character between date
    // and time: the one right after the day number) or the date alone,
    // "YYYY-MM-DD". Fields may be wider or signed. Anything after the last
    // field read is ignored, so a zone designator or offset is dropped
    // without shifting the time.
    // Throws PluginException "Could not convert '<text>' to a date. Invalid
    // ISO 8601 format: It has less than 19 characters." for a short text and
    // "Could not convert \"<text>\" to a Date." when no number can be read.
    explicit DateImpl(const std::string& text);

    std::string toString() const override;
    std::int64_t toTime() const override;

    int year() const { return year_; }
    int month() const { return month_; }
    int day() const { return day_; }
    int hour() const { return hour_; }
    int minute() const { return minute_; }
    int second() const { return second_; }
    // The digits after the decimal point of the seconds as one integer
    // (the digits 05 give 5), and how many digits were written (2 for 05).
    int fraction() const { return fraction_; }
    int fractionDigits() const { return fractionDigits_; }

private:
    int second_ = 0;
    int minute_ = 0;
    int hour_ = 0;
    int day_ = 0;
    int month_ = 0;
    int year_ = 0;
    int fraction_ = 0;
    int fractionDigits_ = 0;
};

}  // namespace Vellamor::Plugin

#endif
