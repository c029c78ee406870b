#include "plugin/data/DateImpl.h"

#include "plugin/PluginException.h"
#include "util/platform/Platform.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <ctime>
#include <iomanip>
#include <iterator>
#include <locale>
#include <sstream>

namespace Vellamor::Plugin {

namespace {

constexpr std::size_t kDateOnlyLength = 10;
constexpr std::size_t kDateTimeLength = 19;

bool isClassicSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads text the way formatted input reads the pattern
// "%d-%d-%d<separator>%d:%d:%d[.%d]": each number skips leading white space
// and takes an optionally signed run of decimal digits; a blank (any white
// space) in the pattern matches any run of white space, including none; a
// '%' skips white space and then matches itself; any other character must
// match the next input character. Unlike formatted input, a number that does
// not fit the field stops the scan instead of storing an undefined value.
class FieldScanner {
public:
    explicit FieldScanner(const std::string& text) : text_(text) {}

    // On success also tells how many digits the number had.
    bool readNumber(int& field, std::size_t& digits) {
        skipSpace();
        std::size_t pos = pos_;
        bool negative = false;
        if (pos < text_.size() && (text_[pos] == '+' || text_[pos] == '-')) {
            negative = text_[pos] == '-';
            ++pos;
        }
        const std::size_t firstDigit = pos;
        long long magnitude = 0;
        const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
        while (pos < text_.size() && text_[pos] >= '0' && text_[pos] <= '9') {
            magnitude = magnitude * 10 + (text_[pos] - '0');
            if (magnitude > limit) {
                return false;
            }
            ++pos;
        }
        if (pos == firstDigit) {
            return false;
        }
        digits = pos - firstDigit;
        pos_ = pos;
        field = static_cast<int>(negative ? -magnitude : magnitude);
        return true;
    }

    bool matchLiteral(char expected) {
        if (isClassicSpace(expected)) {
            skipSpace();
            return true;
        }
        if (expected == '%') {
            skipSpace();
        }
        if (pos_ < text_.size() && text_[pos_] == expected) {
            ++pos_;
            return true;
        }
        return false;
    }

    // The next character, where there is one.
    bool peek(char& next) const {
        if (pos_ >= text_.size()) {
            return false;
        }
        next = text_[pos_];
        return true;
    }

private:
    void skipSpace() {
        while (pos_ < text_.size() && isClassicSpace(text_[pos_])) {
            ++pos_;
        }
    }

    const std::string& text_;
    std::size_t pos_ = 0;
};

// One element of the scan pattern: a literal character, a field to fill, or
// the separator between date and time (the character right after the day).
struct PatternStep {
    enum Kind { Literal, Field, Separator } kind;
    char literal;
    int* field;
};

}  // namespace

DateImpl::DateImpl(const std::string& text) {
    std::string scanned = text;
    if (scanned.size() == kDateOnlyLength) {
        scanned += " 00:00:00";
    }
    if (scanned.size() < kDateTimeLength) {
        throw PluginException("Could not convert '" + text +
                              "' to a date. Invalid ISO 8601 format: It has less than 19 characters.");
    }

    using Step = PatternStep;
    const Step pattern[] = {
        {Step::Field, 0, &year_},   {Step::Literal, '-', nullptr},  {Step::Field, 0, &month_},
        {Step::Literal, '-', nullptr}, {Step::Field, 0, &day_},     {Step::Separator, 0, nullptr},
        {Step::Field, 0, &hour_},   {Step::Literal, ':', nullptr},  {Step::Field, 0, &minute_},
        {Step::Literal, ':', nullptr}, {Step::Field, 0, &second_},  {Step::Literal, '.', nullptr},
        {Step::Field, 0, &fraction_},
    };
    // The fraction is looked for only when the text is longer than a plain
    // date and time.
    const std::size_t stepCount =
        scanned.size() > kDateTimeLength ? std::size(pattern) : std::size(pattern) - 2;

    FieldScanner scanner(scanned);
    int stored = 0;
    for (std::size_t i = 0; i < stepCount; ++i) {
        const Step& step = pattern[i];
        bool matched = false;
        std::size_t digits = 0;
        char separator = 0;
        switch (step.kind) {
        case Step::Field:
            matched = scanner.readNumber(*step.field, digits);
            break;
        case Step::Literal:
            matched = scanner.matchLiteral(step.literal);
            break;
        case Step::Separator:
            // Whatever stands right after the day: 'T', a blank or anything
            // else. For a date of the usual widths that is position 10; wider
            // or signed fields move it, and the time must still be found.
            matched = scanner.peek(separator) && scanner.matchLiteral(separator);
            break;
        }
        if (!matched) {
            break;
        }
        if (step.kind == Step::Field) {
            ++stored;
            if (step.field == &fraction_) {
                fractionDigits_ = static_cast<int>(std::min<std::size_t>(digits, INT_MAX));
            }
        }
    }
    if (stored == 0) {
        throw PluginException("Could not convert \"" + text + "\" to a Date.");
    }
}

std::string DateImpl::toString() const {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    // The year is padded to four characters (sign included) so that every
    // year that can be read, 0 to 999 and -999 to -1 among them, gives a
    // text that reads back; wider years are written in full.
    out << std::setfill('0') << std::internal;
    out << std::setw(4) << year_;
    out << '-' << std::setw(2) << month_;
    out << '-' << std::setw(2) << day_;
    out << ' ' << std::setw(2) << hour_;
    out << ':' << std::setw(2) << minute_;
    out << ':' << std::setw(2) << second_;
    if (fraction_ != 0) {
        // The digits as they were written (.05 is five hundredths, .050 keeps
        // its zero), so that the text reads back as the same date. A negative
        // fraction can only come from a sign in the text; it goes back with it.
        const long long magnitude = fraction_ < 0 ? -static_cast<long long>(fraction_) : fraction_;
        out << '.' << (fraction_ < 0 ? "-" : "") << std::setw(fractionDigits_) << std::right << magnitude;
    }
    return out.str();
}

std::int64_t DateImpl::toTime() const {
    constexpr int kEpochYear = 1970;
    if (year_ < kEpochYear) {
        return 0;
    }
    if (month_ == INT_MIN) {
        // month - 1 has no int value; no moment can be named.
        return -1;
    }
    std::tm fields{};
    fields.tm_sec = second_;
    fields.tm_min = minute_;
    fields.tm_hour = hour_;
    fields.tm_mday = day_;
    fields.tm_mon = month_ - 1;
    fields.tm_year = year_ - 1900;
    fields.tm_wday = 0;
    fields.tm_yday = 0;
    fields.tm_isdst = 0;  // the fields are standard time
    return ostrel::platform::localTimeToSeconds(fields);
}

std::unique_ptr<Date> parseDate(const std::string& text) {
    return std::make_unique<DateImpl>(text);
}

}  // namespace Vellamor::Plugin
