#include "plugin/data/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <locale>
#include <string>

namespace Vellamor::Plugin {
namespace {

// A global C++ locale with a decimal comma and digit grouping, restored on exit.
class ScopedCommaLocale {
public:
    ScopedCommaLocale() : previous_(std::locale::global(std::locale(std::locale::classic(), new CommaPunct))) {}
    ~ScopedCommaLocale() { std::locale::global(previous_); }
    ScopedCommaLocale(const ScopedCommaLocale&) = delete;
    ScopedCommaLocale& operator=(const ScopedCommaLocale&) = delete;

private:
    struct CommaPunct : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        char do_thousands_sep() const override { return '.'; }
        std::string do_grouping() const override { return "\3"; }
    };
    std::locale previous_;
};

TEST(NumberTextTest, ReadsTheLongestNumericPrefix) {
    EXPECT_EQ(-350.0, readNumberPrefix("  -3.5e2xyz"));
    EXPECT_EQ(12.0, readNumberPrefix("12abc"));
    EXPECT_EQ(0.5, readNumberPrefix(".5"));
    EXPECT_EQ(5.0, readNumberPrefix("5."));
    EXPECT_EQ(1.0, readNumberPrefix("1e"));
    EXPECT_EQ(1.0, readNumberPrefix("1e+"));
    EXPECT_EQ(1.0, readNumberPrefix("1,5"));
    EXPECT_EQ(7.0, readNumberPrefix("\t\n\v\f\r 7"));
    EXPECT_EQ(42.0, readNumberPrefix("+42"));
    EXPECT_EQ(1234.0, readNumberPrefix("1234 5678"));
}

TEST(NumberTextTest, TextWithoutNumberGivesZero) {
    for (const char* text : {"", "abc", "+", "-", ".", "e5", "+-5", "-+5", "--5", " - 5", "x12"}) {
        EXPECT_EQ(0.0, readNumberPrefix(text)) << "'" << text << "'";
    }
    // Hexadecimal is not a decimal number: only the leading 0 is read.
    EXPECT_EQ(0.0, readNumberPrefix("0x10"));
}

TEST(NumberTextTest, InfinityNanAndRangeLimits) {
    // The words are no decimal numbers.
    for (const char* text : {"inf", "INFINITY", " -Infinity and more", "nan", "-NaN(123)", "+inf", ".inf"}) {
        const double value = readNumberPrefix(text);
        EXPECT_TRUE(value == 0.0 && !std::signbit(value)) << "'" << text << "' gave " << value;
    }
    EXPECT_EQ(std::numeric_limits<double>::infinity(), readNumberPrefix("1e400"));
    EXPECT_EQ(std::numeric_limits<double>::infinity(), readNumberPrefix("123456789e99999999999999999999"));
    EXPECT_EQ(-std::numeric_limits<double>::infinity(), readNumberPrefix("-1e400"));
    EXPECT_EQ(0.0, readNumberPrefix("1e-400"));
    EXPECT_EQ(0.0, readNumberPrefix("0.000001e-400"));
    EXPECT_TRUE(std::signbit(readNumberPrefix("-1e-400")));
    EXPECT_EQ(0.0, readNumberPrefix("0e999999"));
    EXPECT_EQ(4.9406564584124654e-324, readNumberPrefix("4.9406564584124654e-324"));
}

TEST(NumberTextTest, IgnoresTheProcessLocale) {
    const ScopedCommaLocale comma;
    EXPECT_EQ("1234.5", formatNumber(1234.5, 6));
    EXPECT_EQ("1.23457e+06", formatNumber(1234567.0, 6));
    EXPECT_EQ("0.333333333333333", formatNumber(1.0 / 3.0, 15));
    EXPECT_EQ(1234.5, readNumberPrefix("1234.5"));
    EXPECT_EQ(1.0, readNumberPrefix("1,5"));
}

}  // namespace
}  // namespace Vellamor::Plugin
