#include "plugin/data/NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <locale>
#include <random>
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

// The text of a numeric element, which goes back to the host, names exactly
// the number held: plain digits for whole numbers up to 2^53, else the
// shortest form, and the infinities as texts that read back as them.
TEST(NumberTextTest, ShortestNumberTextReadsBackExactly) {
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333333"},
        {3.0, "3"},
        {-2.5, "-2.5"},
        {1e6, "1000000"},
        {2147483647.0, "2147483647"},
        {-9007199254740992.0, "-9007199254740992"},
        {9007199254740994.0, "9007199254740994"},
        {1e16, "1e+16"},
        {123456.7, "123456.7"},
        {0.0001, "1e-04"},
        {1.7976931348623157e308, "1.7976931348623157e+308"},
        {4.9406564584124654e-324, "5e-324"},
        {0.0, "0"},
        {-0.0, "-0"},
        {infinity, "1e309"},
        {-infinity, "-1e309"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.text, formatShortestNumber(c.value));
        const double back = readNumberPrefix(c.text);
        EXPECT_TRUE(back == c.value && std::signbit(back) == std::signbit(c.value)) << c.text << " read as " << back;
    }
    EXPECT_EQ("NaN", formatShortestNumber(std::nan("")));

    // Any bit pattern that is a finite number comes back with the same bits.
    std::mt19937_64 random(20261209);
    for (int round = 0; round < 200000; ++round) {
        const std::uint64_t bits = random();
        double value = 0;
        std::memcpy(&value, &bits, sizeof value);
        if (!std::isfinite(value)) {
            continue;
        }
        const std::string text = formatShortestNumber(value);
        const double back = readNumberPrefix(text);
        std::uint64_t backBits = 0;
        std::memcpy(&backBits, &back, sizeof back);
        ASSERT_EQ(bits, backBits) << text;
    }
}

TEST(NumberTextTest, IgnoresTheProcessLocale) {
    const ScopedCommaLocale comma;
    EXPECT_EQ("1234.5", formatNumber(1234.5, 6));
    EXPECT_EQ("1.23457e+06", formatNumber(1234567.0, 6));
    EXPECT_EQ("0.333333333333333", formatNumber(1.0 / 3.0, 15));
    EXPECT_EQ("1234.5", formatShortestNumber(1234.5));
    EXPECT_EQ(1234.5, readNumberPrefix("1234.5"));
    EXPECT_EQ(1.0, readNumberPrefix("1,5"));
}

}  // namespace
}  // namespace Vellamor::Plugin
