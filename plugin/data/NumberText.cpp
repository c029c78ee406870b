#include "plugin/data/NumberText.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <locale>
#include <sstream>
#include <system_error>

namespace Vellamor::Plugin {

namespace {

bool isClassicSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether the decimal number text (no sign, not inf or nan) that the
// conversion found out of range is too large rather than too small: its
// first significant digit stands at a positive power of ten once the
// exponent is applied.
bool exceedsRange(const char* first, const char* last) {
    long long leadingPower = 0;
    bool seenPoint = false;
    bool seenSignificant = false;
    const char* p = first;
    for (; p != last && (isDigit(*p) || *p == '.'); ++p) {
        if (*p == '.') {
            seenPoint = true;
        } else if (seenSignificant) {
            if (!seenPoint) {
                ++leadingPower;
            }
        } else {
            // Every digit up to and including the first significant one after
            // the point moves it one power further down.
            if (seenPoint) {
                --leadingPower;
            }
            seenSignificant = *p != '0';
        }
    }
    if (!seenSignificant) {
        return false;
    }
    long long exponent = 0;
    if (p != last && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative = false;
        if (p != last && (*p == '+' || *p == '-')) {
            negative = *p == '-';
            ++p;
        }
        constexpr long long kClamp = 1000000;
        for (; p != last && isDigit(*p); ++p) {
            if (exponent < kClamp) {
                exponent = exponent * 10 + (*p - '0');
            }
        }
        if (negative) {
            exponent = -exponent;
        }
    }
    return leadingPower + exponent > 0;
}

}  // namespace

std::string formatNumber(double value, int significantDigits) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out.precision(significantDigits);
    out << value;
    return out.str();
}

std::string formatShortestNumber(double value) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-1e309" : "1e309";
    }
    // Up to 2^53 every whole number is exact, so its plain digits are the
    // value itself; hosts read int and long values with integer readers that
    // take no exponent.
    constexpr double kLargestExactWholeNumber = 9007199254740992.0;
    // The longest shortest form is 24 characters (-2.2250738585072014e-308).
    char buffer[32];
    const std::to_chars_result result =
        std::fabs(value) <= kLargestExactWholeNumber && value == std::trunc(value)
            ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
            : std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

double readNumberPrefix(const std::string& text) {
    const char* p = text.data();
    const char* const end = text.data() + text.size();
    while (p != end && isClassicSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // A decimal number starts with a digit, or a point and a digit. This
    // also keeps from_chars from taking a second sign or the words inf,
    // infinity and nan, which are no decimal numbers.
    const bool startsDecimal = p != end && (isDigit(*p) || (*p == '.' && p + 1 != end && isDigit(p[1])));
    if (!startsDecimal) {
        return 0.0;
    }
    double value = 0.0;
    const std::from_chars_result result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) {
        return 0.0;
    }
    if (result.ec == std::errc::result_out_of_range) {
        value = exceedsRange(p, result.ptr) ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

}  // namespace Vellamor::Plugin
