#include "util/StringTokenizer.h"

#include <gtest/gtest.h>

#include <vector>

namespace ostrel {
namespace {

const char* const kMarkupCharacters = "<>&\"";

// Every token nextToken hands out until it reports the end.
std::vector<std::string> allTokens(StringTokenizer& tokenizer) {
    std::vector<std::string> tokens;
    while (tokenizer.nextToken()) {
        tokens.push_back(tokenizer.getToken());
    }
    return tokens;
}

using Tokens = std::vector<std::string>;

TEST(StringTokenizerTest, SplitsIntoRunsAndSingleDelimiters) {
    StringTokenizer tokenizer("a<b", 3, kMarkupCharacters);
    EXPECT_STREQ("", tokenizer.getToken());
    EXPECT_EQ((Tokens{"a", "<", "b"}), allTokens(tokenizer));
    EXPECT_STREQ("", tokenizer.getToken());
    EXPECT_FALSE(tokenizer.nextToken());

    const std::string text = "x &amp;&<<\"y\"z>";
    StringTokenizer escaping(text.c_str(), static_cast<std::int32_t>(text.size()), kMarkupCharacters);
    EXPECT_EQ((Tokens{"x ", "&", "amp;", "&", "<", "<", "\"", "y", "\"", "z", ">"}), allTokens(escaping));

    StringTokenizer empty("", 0, kMarkupCharacters);
    EXPECT_FALSE(empty.nextToken());
    EXPECT_EQ(nullptr, empty.peekToken());
}

TEST(StringTokenizerTest, ClipsAtTheGivenLengthAndStopsAtNul) {
    StringTokenizer clipped("a<b", 2, kMarkupCharacters);
    EXPECT_EQ((Tokens{"a", "<"}), allTokens(clipped));

    StringTokenizer midRun("abcdef<", 3, kMarkupCharacters);
    EXPECT_EQ((Tokens{"abc"}), allTokens(midRun));
    EXPECT_EQ(3, midRun.getPosition());

    const char withNul[] = {'a', 'b', '\0', 'c', '<', '\0'};
    StringTokenizer nul(withNul, 5, kMarkupCharacters);
    EXPECT_TRUE(nul.nextToken());
    EXPECT_STREQ("ab", nul.getToken());
    EXPECT_TRUE(nul.nextToken());
    EXPECT_STREQ("", nul.getToken());
    EXPECT_EQ(3, nul.getPosition());
    EXPECT_EQ((Tokens{"c", "<"}), allTokens(nul));

    StringTokenizer negative("abc", -1, kMarkupCharacters);
    EXPECT_FALSE(negative.nextToken());
}

TEST(StringTokenizerTest, GrowsTheTokenBufferForLongRuns) {
    const std::string longRun(1000, 'x');
    const std::string text = "ab<" + std::string(17, 'y') + ">" + longRun + "&c";
    StringTokenizer tokenizer(text.c_str(), static_cast<std::int32_t>(text.size()), kMarkupCharacters);
    EXPECT_EQ((Tokens{"ab", "<", std::string(17, 'y'), ">", longRun, "&", "c"}), allTokens(tokenizer));

    const std::string exact(16, 'z');
    StringTokenizer sixteen(exact.c_str(), 16, kMarkupCharacters);
    EXPECT_TRUE(sixteen.nextToken());
    EXPECT_EQ(exact, sixteen.getToken());
}

TEST(StringTokenizerTest, PeekTokenDoesNotMove) {
    StringTokenizer tokenizer("ab<c", 4, kMarkupCharacters);
    EXPECT_STREQ("ab", tokenizer.peekToken());
    EXPECT_STREQ("ab", tokenizer.peekToken());
    EXPECT_EQ(0, tokenizer.getPosition());
    EXPECT_STREQ("", tokenizer.getToken());
    EXPECT_TRUE(tokenizer.nextToken());
    EXPECT_STREQ("ab", tokenizer.getToken());
    EXPECT_STREQ("<", tokenizer.peekToken());
    EXPECT_STREQ("ab", tokenizer.getToken());
    tokenizer.nextToken();
    tokenizer.nextToken();
    EXPECT_EQ(nullptr, tokenizer.peekToken());
    EXPECT_STREQ("c", tokenizer.getToken());
}

TEST(StringTokenizerTest, StepBackReturnsToTheLastDelimiter) {
    StringTokenizer tokenizer("a<b", 3, kMarkupCharacters);
    tokenizer.nextToken();
    tokenizer.nextToken();
    EXPECT_TRUE(tokenizer.stepBack());
    EXPECT_EQ(1, tokenizer.getPosition());
    EXPECT_STREQ("<", tokenizer.getToken());
    tokenizer.nextToken();
    EXPECT_TRUE(tokenizer.nextToken());
    EXPECT_STREQ("b", tokenizer.getToken());
    EXPECT_TRUE(tokenizer.stepBack());
    EXPECT_EQ(2, tokenizer.getPosition());

    StringTokenizer noDelimiter("abc", 3, kMarkupCharacters);
    EXPECT_FALSE(noDelimiter.stepBack());
    noDelimiter.nextToken();
    EXPECT_TRUE(noDelimiter.stepBack());
    EXPECT_EQ(0, noDelimiter.getPosition());
    EXPECT_STREQ("abc", noDelimiter.getToken());

    StringTokenizer pastTheEnd("a<b", 3, kMarkupCharacters);
    pastTheEnd.setPosition(50);
    EXPECT_TRUE(pastTheEnd.stepBack());
    EXPECT_EQ(2, pastTheEnd.getPosition());
}

TEST(StringTokenizerTest, ReadUntilDoubleQuoteWithEscapes) {
    const char* const text = "\"say \"\"hi\\\"\" there\" rest";
    StringTokenizer tokenizer(text, 24, kMarkupCharacters);
    EXPECT_TRUE(tokenizer.nextToken());
    EXPECT_STREQ("\"", tokenizer.getToken());
    tokenizer.readUntil('"', true);
    EXPECT_STREQ("say \"hi\\\"", tokenizer.getToken());
    EXPECT_EQ(12, tokenizer.getPosition());
    // The token already read is handed over by the next call, not read again.
    EXPECT_TRUE(tokenizer.nextToken());
    EXPECT_STREQ("say \"hi\\\"", tokenizer.getToken());
    EXPECT_TRUE(tokenizer.nextToken());
    EXPECT_STREQ(" there", tokenizer.getToken());

    StringTokenizer noEscapes("a\\\"b\"", 5, kMarkupCharacters);
    noEscapes.readUntil('"', false);
    EXPECT_STREQ("a\\", noEscapes.getToken());
    EXPECT_EQ(3, noEscapes.getPosition());
}

TEST(StringTokenizerTest, ReadUntilSingleQuoteAndUnclosedQuotes) {
    StringTokenizer single("it''s' x", 8, "'");
    single.readUntil('\'', false);
    EXPECT_STREQ("it's", single.getToken());
    EXPECT_EQ(6, single.getPosition());

    StringTokenizer unclosed("abc", 3, "'");
    unclosed.setPosition(1);
    unclosed.readUntil('\'', true);
    EXPECT_STREQ("", unclosed.getToken());
    EXPECT_EQ(2, unclosed.getPosition());

    StringTokenizer backslashAtEnd("ab\\", 3, "'");
    backslashAtEnd.readUntil('\'', true);
    EXPECT_STREQ("", backslashAtEnd.getToken());
    EXPECT_EQ(1, backslashAtEnd.getPosition());

    StringTokenizer clipped("ab'cd'", 4, "'");
    clipped.setPosition(3);
    clipped.readUntil('\'', false);
    EXPECT_STREQ("", clipped.getToken());
    EXPECT_EQ(4, clipped.getPosition());
}

TEST(StringTokenizerTest, ReadUntilOtherTerminators) {
    const std::string text = "key=value;next=" + std::string(20, 'v');
    StringTokenizer tokenizer(text.c_str(), static_cast<std::int32_t>(text.size()), "=;");
    tokenizer.readUntil(';', false);
    EXPECT_STREQ("key=value", tokenizer.getToken());
    EXPECT_EQ(10, tokenizer.getPosition());
    EXPECT_TRUE(tokenizer.nextToken());
    EXPECT_STREQ("key=value", tokenizer.getToken());
    tokenizer.readUntil(';', false);
    EXPECT_EQ("next=" + std::string(20, 'v'), tokenizer.getToken());
    EXPECT_EQ(static_cast<std::int64_t>(text.size()) + 1, tokenizer.getPosition());
    tokenizer.readUntil(';', false);
    EXPECT_STREQ("", tokenizer.getToken());
    EXPECT_EQ(static_cast<std::int64_t>(text.size()) + 1, tokenizer.getPosition());
    EXPECT_TRUE(tokenizer.nextToken());
    EXPECT_FALSE(tokenizer.nextToken());
}

TEST(StringTokenizerTest, ReadQuotedCollapsesDoubledQuotes) {
    StringTokenizer tokenizer("a \"\"b\\\"\" c\"tail", 15, kMarkupCharacters);
    tokenizer.readQuoted();
    EXPECT_STREQ("a \"b\\\" c", tokenizer.getToken());
    EXPECT_EQ(11, tokenizer.getPosition());
    EXPECT_TRUE(tokenizer.nextToken());
    EXPECT_STREQ("a \"b\\\" c", tokenizer.getToken());
    EXPECT_TRUE(tokenizer.nextToken());
    EXPECT_STREQ("tail", tokenizer.getToken());

    StringTokenizer unclosed("abc", 3, kMarkupCharacters);
    unclosed.readQuoted();
    EXPECT_STREQ("abc", unclosed.getToken());
    EXPECT_EQ(4, unclosed.getPosition());
    unclosed.readQuoted();
    EXPECT_STREQ("", unclosed.getToken());
    EXPECT_EQ(4, unclosed.getPosition());
}

TEST(StringTokenizerTest, RandomAccessStaysInsideTheRange) {
    StringTokenizer tokenizer("hello<world", 11, kMarkupCharacters);
    EXPECT_FALSE(tokenizer.queryFlag());
    EXPECT_EQ("lo<w", tokenizer.substring(3, 4));
    EXPECT_EQ("world", tokenizer.substring(6, 100));
    EXPECT_EQ("", tokenizer.substring(-1, 3));
    EXPECT_EQ("", tokenizer.substring(20, 3));
    EXPECT_EQ("hel", tokenizer.substring(0x100000000LL, 3));
    EXPECT_EQ('<', tokenizer.charAt(5));
    EXPECT_EQ('h', tokenizer.charAt(0x100000000LL));
    EXPECT_EQ('\0', tokenizer.charAt(11));
    EXPECT_EQ('\0', tokenizer.charAt(-1));
    tokenizer.setPosition(6);
    EXPECT_TRUE(tokenizer.nextToken());
    EXPECT_STREQ("world", tokenizer.getToken());
}

}  // namespace
}  // namespace ostrel
