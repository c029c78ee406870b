#include "util/xml/Transcode.h"

#include "util/CrException.h"
#include "util/xml/XmlPlatform.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel::xml {
namespace {

class TranscodeTest : public ::testing::Test {
protected:
    void SetUp() override { initializeXmlPlatform(); }
};

TEST_F(TranscodeTest, RoundTripsUtf8) {
    const std::string text = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC \xF0\x9F\x98\x80 <&>";
    const XmlString units = transcodeFromUtf8(text);
    EXPECT_EQ(u"Grüße € 😀 <&>", std::u16string(units.begin(), units.end()));
    EXPECT_EQ(text, transcodeToUtf8(units.c_str()));
    EXPECT_EQ(text, std::string(transcodeToUtf8Array(units.c_str()).get()));
}

TEST_F(TranscodeTest, NullAndEmptyAndLongTexts) {
    EXPECT_EQ("", transcodeToUtf8(nullptr));
    EXPECT_EQ('\0', transcodeToUtf8Array(nullptr)[0]);
    EXPECT_TRUE(transcodeFromUtf8("").empty());
    // Longer than one transcoder block.
    const std::string longText(10000, 'x');
    EXPECT_EQ(longText, transcodeToUtf8(transcodeFromUtf8(longText).c_str()));
    const auto units = transcodeFromUtf8Array("ab", 2);
    EXPECT_EQ(u'a', units[0]);
    EXPECT_EQ(0, units[2]);
}

TEST_F(TranscodeTest, RejectsInvalidUtf8) {
    try {
        transcodeFromUtf8("a\xFF" "b");
        FAIL() << "no exception";
    } catch (const CrException& exception) {
        EXPECT_EQ("Failed to transcode text from UTF-8. Reason: The text is not valid UTF-8 after byte 1.",
                  exception.getMessage());
        EXPECT_EQ(E_FAIL, exception.getCode());
    }
    // A multi-byte sequence cut off at the end.
    EXPECT_THROW(transcodeFromUtf8("ab\xC3"), CrException);
}

}  // namespace
}  // namespace ostrel::xml
