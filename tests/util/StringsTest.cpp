#include "util/Strings.h"

#include "util/CrException.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using Pieces = std::vector<std::string>;

TEST(StringsTest, SplitStringAtFullStops) {
    EXPECT_EQ((Pieces{"1", "0"}), SplitString("1.0", "."));
    EXPECT_EQ((Pieces{""}), SplitString(".", "."));
    EXPECT_EQ((Pieces{"a", "", "b"}), SplitString("a..b", "."));
    EXPECT_EQ((Pieces{"a"}), SplitString("a.", "."));
    EXPECT_EQ((Pieces{"", "a"}), SplitString(".a", "."));
    EXPECT_EQ(Pieces{}, SplitString("", "."));
    EXPECT_EQ((Pieces{"abc"}), SplitString("abc", "."));
}

TEST(StringsTest, SplitStringAtLongerDelimiters) {
    EXPECT_EQ((Pieces{"a", "b", "c"}), SplitString("a::b::c", "::"));
    EXPECT_EQ((Pieces{"a", ":b"}), SplitString("a:::b", "::"));
    EXPECT_EQ(Pieces{std::string("a\0b", 3)}, SplitString(std::string("a\0b", 3), "::"));
}

TEST(StringsTest, SplitStringRefusesAnEmptyDelimiter) {
    try {
        SplitString("a.b", "");
        FAIL() << "no exception";
    } catch (const CrException& exception) {
        EXPECT_EQ("Illegal argument to SplitString. Delimiter is empty.", exception.getMessage());
        EXPECT_EQ(E_FAIL, exception.getCode());
    }
}

TEST(StringsTest, EqualsIgnoreCaseFoldsAsciiLettersUpToNul) {
    EXPECT_TRUE(equalsIgnoreCase("Windows", "wINDOWS"));
    EXPECT_TRUE(equalsIgnoreCase("", ""));
    EXPECT_FALSE(equalsIgnoreCase("unix", "unixx"));
    EXPECT_FALSE(equalsIgnoreCase("a[", "A{"));
    EXPECT_FALSE(equalsIgnoreCase("\xE9", "\xC9"));
    EXPECT_TRUE(equalsIgnoreCase(std::string("mac\0one", 7), std::string("MAC\0two", 7)));
}

TEST(StringsTest, ToUpperInPlaceChangesOnlyAsciiLetters) {
    std::string text("pwd=Abc z;\xE9\x80\n");
    toUpperInPlace(text);
    EXPECT_EQ("PWD=ABC Z;\xE9\x80\n", text);
    std::string withNul("a\0b", 3);
    toUpperInPlace(withNul);
    EXPECT_EQ(std::string("A\0B", 3), withNul);
}

TEST(StringsTest, TrimCharactersRemovesSetFromBothEnds) {
    EXPECT_EQ("a b", trimCharacters("\r\n a b \n", " \r\n"));
    EXPECT_EQ("", trimCharacters("  \n", " \n"));
    EXPECT_EQ(" x ", trimCharacters(" x ", ""));
    EXPECT_EQ("x-y", trimCharacters("--x-y--", "-"));
    EXPECT_EQ("", trimCharacters("", " "));
}

TEST(StringsTest, ReplaceCharacterCountsAndReplaces) {
    std::string path("C:\\dir\\file.txt");
    EXPECT_EQ(2u, replaceCharacter(path, '\\', '/'));
    EXPECT_EQ("C:/dir/file.txt", path);

    std::string same("a.b.c");
    EXPECT_EQ(2u, replaceCharacter(same, '.', '.'));
    EXPECT_EQ("a.b.c", same);

    std::string none("abc");
    EXPECT_EQ(0u, replaceCharacter(none, 'x', 'y'));
    EXPECT_EQ("abc", none);
}

TEST(StringsTest, RemoveControlCharactersKeepsTabsLineBreaksAndNul) {
    std::string text(std::string("a\x01\tb\n\x1F\rc\x0B\x0C\x0E", 11) + std::string(1, '\0') + " \x7F\xFF");
    EXPECT_TRUE(removeControlCharacters(text));
    EXPECT_EQ(std::string("a\tb\n\rc", 6) + std::string(1, '\0') + " \x7F\xFF", text);

    std::string clean("plain\ttext\r\n");
    EXPECT_FALSE(removeControlCharacters(clean));
    EXPECT_EQ("plain\ttext\r\n", clean);

    std::string onlyControl("\x02\x08");
    EXPECT_TRUE(removeControlCharacters(onlyControl));
    EXPECT_EQ("", onlyControl);
}

}  // namespace
}  // namespace ostrel
