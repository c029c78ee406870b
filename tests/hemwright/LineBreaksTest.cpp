#include "hemwright/LineBreaks.h"

#include <gtest/gtest.h>

TEST(LineBreaksTest, StyleNamesIgnoreCaseAndAnythingElseIsInvalid) {
    EXPECT_EQ(LineBreakStyle::Windows, parseLineBreakStyle("windows"));
    EXPECT_EQ(LineBreakStyle::Windows, parseLineBreakStyle("WinDows"));
    EXPECT_EQ(LineBreakStyle::Unix, parseLineBreakStyle("UNIX"));
    EXPECT_EQ(LineBreakStyle::Unix, parseLineBreakStyle("linux"));
    EXPECT_EQ(LineBreakStyle::Mac, parseLineBreakStyle("Mac"));
    EXPECT_EQ(LineBreakStyle::None, parseLineBreakStyle("dos"));
    EXPECT_EQ(LineBreakStyle::None, parseLineBreakStyle(" unix"));
    EXPECT_EQ(LineBreakStyle::None, parseLineBreakStyle("macintosh"));
    EXPECT_EQ(LineBreakStyle::None, parseLineBreakStyle(""));
}

TEST(LineBreaksTest, EveryKindOfBreakBecomesExactlyOneBreakOfTheStyle) {
    const std::string mixed = "a\r\nb\rc\nd\r\r\ne\n\r";
    EXPECT_EQ("a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\n", normalizeLineBreaks(mixed, LineBreakStyle::Windows));
    EXPECT_EQ("a\nb\nc\nd\n\ne\n\n", normalizeLineBreaks(mixed, LineBreakStyle::Unix));
    EXPECT_EQ("a\rb\rc\rd\r\re\r\r", normalizeLineBreaks(mixed, LineBreakStyle::Mac));
    EXPECT_EQ("x\r\ny\r\n", normalizeLineBreaks("x\r\ny\r\n", LineBreakStyle::Windows));
    EXPECT_EQ("", normalizeLineBreaks("", LineBreakStyle::Unix));
    EXPECT_EQ("\r\n", lineBreakText(LineBreakStyle::None));
    EXPECT_EQ("\n", normalizeLineBreaks("\r", LineBreakStyle::Unix));
    EXPECT_EQ(std::string("a\0\nb", 4), normalizeLineBreaks(std::string("a\0\r\nb", 5), LineBreakStyle::Unix));
}

// The host's own code gives the styles these numbers.
TEST(LineBreaksTest, StylesKeepTheHostsCodes) {
    EXPECT_EQ(0, static_cast<int>(LineBreakStyle::None));
    EXPECT_EQ(1, static_cast<int>(LineBreakStyle::Windows));
    EXPECT_EQ(2, static_cast<int>(LineBreakStyle::Unix));
    EXPECT_EQ(3, static_cast<int>(LineBreakStyle::Mac));
}
