#include "hemwright/LineBreaks.h"

#include <gtest/gtest.h>

TEST(LineBreaksTest, StyleNamesIgnoreCaseAndAnythingElseIsInvalid) {
    EXPECT_EQ(1, parseLineBreakStyle("windows"));
    EXPECT_EQ(1, parseLineBreakStyle("WinDows"));
    EXPECT_EQ(2, parseLineBreakStyle("UNIX"));
    EXPECT_EQ(2, parseLineBreakStyle("linux"));
    EXPECT_EQ(3, parseLineBreakStyle("Mac"));
    EXPECT_EQ(0, parseLineBreakStyle("dos"));
    EXPECT_EQ(0, parseLineBreakStyle(" unix"));
    EXPECT_EQ(0, parseLineBreakStyle("macintosh"));
    EXPECT_EQ(0, parseLineBreakStyle(""));
}

TEST(LineBreaksTest, EveryKindOfBreakBecomesExactlyOneBreakOfTheStyle) {
    const std::string mixed = "a\r\nb\rc\nd\r\r\ne\n\r";
    EXPECT_EQ("a\r\nb\r\nc\r\nd\r\n\r\ne\r\n\r\n", normalizeLineBreaks(mixed, 1));
    EXPECT_EQ("a\nb\nc\nd\n\ne\n\n", normalizeLineBreaks(mixed, 2));
    EXPECT_EQ("a\rb\rc\rd\r\re\r\r", normalizeLineBreaks(mixed, 3));
    EXPECT_EQ("x\r\ny\r\n", normalizeLineBreaks("x\r\ny\r\n", 1));
    EXPECT_EQ("", normalizeLineBreaks("", 2));
    EXPECT_EQ("\r\n", lineBreakText(0));
    EXPECT_EQ("\n", normalizeLineBreaks("\r", 2));
    EXPECT_EQ(std::string("a\0\nb", 4), normalizeLineBreaks(std::string("a\0\r\nb", 5), 2));
}
