#include "plugin/data/DateImpl.h"

#include "plugin/PluginException.h"
#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Vellamor::Plugin {
namespace {

std::string roundTrip(const std::string& text) {
    return DateImpl(text).toString();
}

std::string failureOf(const std::string& text) {
    try {
        DateImpl date(text);
    } catch (const PluginException& e) {
        return e.getMessage();
    }
    return "no failure";
}

std::string shortTextMessage(const std::string& text) {
    return "Could not convert '" + text +
           "' to a date. Invalid ISO 8601 format: It has less than 19 characters.";
}

using testing_support::ScopedTimeZone;

TEST(DateImplTest, ReadsFieldsAsWritten) {
    const DateImpl full("2024-03-05T14:30:15.250");
    EXPECT_EQ(2024, full.year());
    EXPECT_EQ(3, full.month());
    EXPECT_EQ(5, full.day());
    EXPECT_EQ(14, full.hour());
    EXPECT_EQ(30, full.minute());
    EXPECT_EQ(15, full.second());
    EXPECT_EQ(250, full.fraction());

    const DateImpl dateOnly("2024-03-05");
    EXPECT_EQ(0, dateOnly.hour());
    EXPECT_EQ(0, dateOnly.minute());
    EXPECT_EQ(0, dateOnly.second());

    // "%d" needs no two digits; the fraction is one integer.
    const DateImpl shortHour("2024-03-05T4:30:15.5");
    EXPECT_EQ(4, shortHour.hour());
    EXPECT_EQ(5, shortHour.fraction());

    // Out-of-range numbers are kept as read.
    const DateImpl outOfRange("2024-13-05T25:30:15");
    EXPECT_EQ(13, outOfRange.month());
    EXPECT_EQ(25, outOfRange.hour());

    // Zone designators and offsets are dropped without shifting the time.
    for (const char* text : {"2024-03-05T14:30:15Z", "2024-03-05T14:30:15+05:00"}) {
        const DateImpl zoned(text);
        EXPECT_EQ(14, zoned.hour()) << text;
        EXPECT_EQ(15, zoned.second()) << text;
        EXPECT_EQ(0, zoned.fraction()) << text;
    }
}

TEST(DateImplTest, AnySeparatorBetweenDateAndTime) {
    EXPECT_EQ("2024-03-05 14:30:15", roundTrip("2024-03-05T14:30:15"));
    EXPECT_EQ("2024-03-05 14:30:15", roundTrip("2024-03-05 14:30:15"));
    EXPECT_EQ("2024-03-05 14:30:15", roundTrip("2024-03-05x14:30:15"));
    // A blank separator matches any run of white space, including none.
    EXPECT_EQ("2024-03-05 14:30:15", roundTrip("2024-03-05 \t14:30:15"));
    // A '%' separator is a literal, not a directive.
    EXPECT_EQ("2024-03-05 14:30:15", roundTrip("2024-03-05%14:30:15"));
    EXPECT_EQ("2024-03-05 00:00:00", roundTrip("2024-03-05%d4:30:15"));
}

TEST(DateImplTest, StopsAtTheFirstMismatchAndKeepsWhatWasRead) {
    EXPECT_EQ("2024-03-05 14:00:00", roundTrip("2024-03-05T14-30:15:00"));
    // Only the year is read.
    EXPECT_EQ("2024-00-00 00:00:00", roundTrip("2024/03/05T14:30:15"));
    // Signed numbers are read with their sign.
    EXPECT_EQ("-001-01-01 00:00:00", roundTrip("-001-01-01T00:00:00"));
    // A number beyond the field's range stops the scan.
    EXPECT_EQ("2024-03-05 14:30:15", roundTrip("2024-03-05T14:30:15.99999999999"));
}

TEST(DateImplTest, WritesTheFractionWithItsDigitsUnlessZero) {
    EXPECT_EQ("2024-03-05 14:30:15.250", roundTrip("2024-03-05T14:30:15.250"));
    EXPECT_EQ("2024-03-05 14:30:15.05", roundTrip("2024-03-05T14:30:15.05"));
    EXPECT_EQ("2024-03-05 14:30:15", roundTrip("2024-03-05T14:30:15.000"));
    EXPECT_EQ("2024-03-05 00:00:00", roundTrip("2024-03-05"));
    EXPECT_EQ("12345-01-01 00:00:00", roundTrip("12345-01-01T00:00:00"));
    EXPECT_EQ("2024-03-05 14:30:15.250", parseDate("2024-03-05T14:30:15.250")->toString());
}

TEST(DateImplTest, EveryReadableYearWritesTextThatReadsBack) {
    EXPECT_EQ("0999-01-01 00:00:00", roundTrip("0999-01-01T00:00:00"));
    EXPECT_EQ("0007-02-03 04:05:06", roundTrip("   7-02-03 04:05:06"));
    EXPECT_EQ("0000-01-01 00:00:00", roundTrip("0000-01-01"));
    EXPECT_EQ("-001-01-01 00:00:00", roundTrip("-001-01-01 00:00:00"));
    EXPECT_EQ("-999-12-31 23:59:59", roundTrip("-999-12-31T23:59:59"));
    for (const char* text : {"0999-01-01T00:00:00", "0001-01-01T00:00:00.5", "-001-01-01T00:00:00",
                             "2024-03-05T14:30:15.250"}) {
        const std::string written = roundTrip(text);
        EXPECT_EQ(written, roundTrip(written)) << text;
    }
}

// Every text that reads gives a text that reads back to the same seven
// fields, however wide or signed they were written.
TEST(DateImplTest, WideFieldsAndFractionDigitsReadBackExactly) {
    const struct {
        const char* text;
        const char* written;
    } cases[] = {
        {"12345-03-05T04:30:15", "12345-03-05 04:30:15"},
        {"12345-3-05T4:30:15.1", "12345-03-05 04:30:15.1"},
        {"-1000-03-05T14:30:15", "-1000-03-05 14:30:15"},
        {"2024-123-05T14:30:15", "2024-123-05 14:30:15"},
        {"2024-3-05T14:30:15:00", "2024-03-05 14:30:15"},
        {"2024-03-05T14:30:15.050", "2024-03-05 14:30:15.050"},
        {"2024-03-05T14:30:15.0000000001", "2024-03-05 14:30:15.0000000001"},
        {"2024-03-05T14:30:15.-05", "2024-03-05 14:30:15.-05"},
        {"2024-03-05T14:30:15.+7", "2024-03-05 14:30:15.7"},
    };
    for (const auto& entry : cases) {
        const DateImpl date(entry.text);
        EXPECT_EQ(entry.written, date.toString()) << entry.text;
        const DateImpl reread(date.toString());
        EXPECT_EQ((std::vector<int>{date.year(), date.month(), date.day(), date.hour(), date.minute(),
                                    date.second(), date.fraction(), date.fractionDigits()}),
                  (std::vector<int>{reread.year(), reread.month(), reread.day(), reread.hour(), reread.minute(),
                                    reread.second(), reread.fraction(), reread.fractionDigits()}))
            << entry.text;
    }
}

TEST(DateImplTest, ShortOrUnreadableTextFails) {
    for (const std::string text : {"", "2024-03-05T14:30", "2024-3-5T14:30:15", "2024-03-05T", "12345678901",
                                   "999-01-01"}) {
        EXPECT_EQ(shortTextMessage(text), failureOf(text)) << text;
    }
    EXPECT_EQ("Could not convert \"abcdefghijklmnopqrs\" to a Date.", failureOf("abcdefghijklmnopqrs"));
    EXPECT_EQ("Could not convert \"abcdefghij\" to a Date.", failureOf("abcdefghij"));
    EXPECT_EQ("Could not convert \"99999999999-01-01T00:00\" to a Date.",
              failureOf("99999999999-01-01T00:00"));
    EXPECT_EQ("Could not convert \"                   \" to a Date.", failureOf("                   "));
}

TEST(DateImplTest, ToTimeReadsFieldsAsLocalStandardTime) {
    const ScopedTimeZone utc("UTC");
    EXPECT_EQ(0, DateImpl("1970-01-01T00:00:00").toTime());
    EXPECT_EQ(1, DateImpl("1970-01-01T00:00:01").toTime());
    EXPECT_EQ(86400, DateImpl("1970-01-02").toTime());
    EXPECT_EQ(1709649015, DateImpl("2024-03-05T14:30:15").toTime());
    // Out-of-range fields are normalised: month 13 of 1970 is January 1971.
    EXPECT_EQ(31536000, DateImpl("1970-13-01").toTime());
    // Years before 1970 give 0.
    EXPECT_EQ(0, DateImpl("1969-12-31T23:59:59").toTime());
    EXPECT_EQ(0, DateImpl("0999-01-01").toTime());
    // A month whose predecessor has no int value names no moment.
    EXPECT_EQ(-1, DateImpl("1970--2147483648-01T00:00:00").toTime());
}

TEST(DateImplTest, ToTimeFollowsTheLocalZone) {
    const ScopedTimeZone fixedOffset("XYZ-2");  // two hours east of UTC, no daylight saving
    EXPECT_EQ(1709649015 - 7200, DateImpl("2024-03-05T14:30:15").toTime());
}

}  // namespace
}  // namespace Vellamor::Plugin
