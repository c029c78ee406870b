#include "util/Utf8ToLatin1Converter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace ostrel {
namespace {

TEST(Utf8ToLatin1ConverterTest, ConvertsCharactersUpToFF) {
    Utf8ToLatin1Converter converter;
    EXPECT_EQ("caf\xE9", converter.convert("caf\xC3\xA9"));
    EXPECT_EQ(0, converter.replacementCount);
    EXPECT_EQ("\x80\xFF plain\r\n", converter.convert("\xC2\x80\xC3\xBF plain\r\n"));
    EXPECT_EQ(0, converter.replacementCount);
    EXPECT_EQ("", converter.convert(""));
    EXPECT_EQ(std::string("a\0b", 3), converter.convert(std::string("a\0b", 3)));
}

TEST(Utf8ToLatin1ConverterTest, ReplacesCharactersAbove255) {
    Utf8ToLatin1Converter converter;
    // Euro sign (3 bytes) and an emoji (4 bytes).
    EXPECT_EQ("?5 ?", converter.convert("\xE2\x82\xAC" "5 \xF0\x9F\x98\x80"));
    EXPECT_EQ(2, converter.replacementCount);
    converter.convert("x");
    EXPECT_EQ(0, converter.replacementCount);
}

TEST(Utf8ToLatin1ConverterTest, MalformedAndCutOffSequencesGiveOneQuestionMark) {
    Utf8ToLatin1Converter converter;
    // A stray continuation byte takes the next three bytes with it.
    EXPECT_EQ("?d", converter.convert("\x80" "abcd"));
    EXPECT_EQ(1, converter.replacementCount);
    EXPECT_EQ("ab?", converter.convert("ab\xC3"));
    EXPECT_EQ(1, converter.replacementCount);
    EXPECT_EQ("?", converter.convert("\xE2\x82"));
    EXPECT_EQ("?z", converter.convert("\xC3" "az"));
    EXPECT_EQ(1, converter.replacementCount);
}

// Each malformed sequence is one counted '?', never a byte of its own (an
// overlong form would otherwise give NUL, '/' and other arbitrary bytes).
TEST(Utf8ToLatin1ConverterTest, EveryKindOfMalformedSequenceIsOneQuestionMark) {
    const struct {
        const char* bytes;
        const char* converted;
    } cases[] = {
        {"\x80\x80\x80\x80", "?"},            // stray continuation bytes
        {"\xC0\x80", "?"},                    // overlong NUL
        {"\xC1\x81", "?"},                    // overlong 'A'
        {"a\xE0\x80\xAFz", "a?z"},            // overlong '/'
        {"\xF0\x80\x80\xAF", "?"},            // overlong '/', four bytes
        {"\xED\xA0\x80", "?"},                // encoded surrogate
        {"\xF4\x90\x80\x80", "?"},            // above U+10FFFF
        {"\xF5\x80\x80\x80", "?"},            // lead bytes F5 to FF
        {"\xF8\x80\x80\x80\xFF\x81\x81\x81", "??"},
        {"\xE2\x82", "?"},                    // cut off
    };
    Utf8ToLatin1Converter converter;
    for (const auto& entry : cases) {
        const std::string converted = converter.convert(entry.bytes);
        EXPECT_EQ(entry.converted, converted) << entry.bytes;
        EXPECT_EQ(std::count(converted.begin(), converted.end(), '?'), converter.replacementCount) << entry.bytes;
    }
}

TEST(Utf8ToLatin1ConverterTest, DecodesSingleSequences) {
    EXPECT_EQ(1, Utf8ToLatin1Converter::sequenceLength(0x7F));
    EXPECT_EQ(2, Utf8ToLatin1Converter::sequenceLength(0xC0));
    EXPECT_EQ(2, Utf8ToLatin1Converter::sequenceLength(0xDF));
    EXPECT_EQ(3, Utf8ToLatin1Converter::sequenceLength(0xE0));
    EXPECT_EQ(3, Utf8ToLatin1Converter::sequenceLength(0xEF));
    EXPECT_EQ(4, Utf8ToLatin1Converter::sequenceLength(0x80));
    EXPECT_EQ(4, Utf8ToLatin1Converter::sequenceLength(0xBF));
    EXPECT_EQ(4, Utf8ToLatin1Converter::sequenceLength(0xF0));
    EXPECT_EQ(4, Utf8ToLatin1Converter::sequenceLength(0xFF));

    Utf8ToLatin1Converter converter;
    EXPECT_EQ(0x41u, converter.decodeSequence("A"));
    EXPECT_EQ(0xE9u, converter.decodeSequence("\xC3\xA9"));
    EXPECT_EQ(0x20ACu, converter.decodeSequence("\xE2\x82\xAC"));
    EXPECT_EQ(0x1F600u, converter.decodeSequence("\xF0\x9F\x98\x80"));
    EXPECT_EQ(Utf8ToLatin1Converter::kInvalid, converter.decodeSequence(""));
    EXPECT_EQ(Utf8ToLatin1Converter::kInvalid, converter.decodeSequence("\xC3"));
    EXPECT_EQ(Utf8ToLatin1Converter::kInvalid, converter.decodeSequence("\xE2\x41\xAC"));
    // The edges of the well-formed ranges.
    EXPECT_EQ(0x80u, converter.decodeSequence("\xC2\x80"));
    EXPECT_EQ(0x800u, converter.decodeSequence("\xE0\xA0\x80"));
    EXPECT_EQ(0xD7FFu, converter.decodeSequence("\xED\x9F\xBF"));
    EXPECT_EQ(0xE000u, converter.decodeSequence("\xEE\x80\x80"));
    EXPECT_EQ(0x10000u, converter.decodeSequence("\xF0\x90\x80\x80"));
    EXPECT_EQ(0x10FFFFu, converter.decodeSequence("\xF4\x8F\xBF\xBF"));
    for (const char* malformed : {"\x80\x80\x80\x80", "\xC1\xBF", "\xE0\x9F\xBF", "\xED\xA0\x80",
                                  "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80"}) {
        EXPECT_EQ(Utf8ToLatin1Converter::kInvalid, converter.decodeSequence(malformed)) << malformed;
    }
}

}  // namespace
}  // namespace ostrel
