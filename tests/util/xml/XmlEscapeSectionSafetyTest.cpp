// Characters the escaping drops (control bytes, U+FFFE, U+FFFF) between
// "]]" and ">", or between the bytes of "<![CDATA[", never leave markup
// behind: what is left once they are gone is escaped text, so no section
// can be opened or closed by it and nothing after it goes out as raw
// markup.
#include "util/xml/XmlEscape.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel::xml {
namespace {

std::string text(const std::string& source) { return escapeXml(source.c_str(), false); }

TEST(XmlEscapeSectionSafetyTest, DroppedControlByteCannotCloseASectionEarly) {
    EXPECT_EQ("&lt;![CDATA[a]]&gt;&lt;b&gt;]]&gt;", text(std::string("<![CDATA[a]]\x01><b>]]>")));
}

TEST(XmlEscapeSectionSafetyTest, DroppedNonCharacterCannotCloseASectionEarly) {
    EXPECT_EQ("&lt;![CDATA[a]]&gt;&lt;b&gt;]]&gt;", text("<![CDATA[a]]\xEF\xBF\xBE><b>]]>"));
    EXPECT_EQ("&lt;![CDATA[a]]&gt;&lt;b&gt;]]&gt;", text("<![CDATA[a]]\xEF\xBF\xBF><b>]]>"));
    // Removing one non-character can bring the bytes of another together.
    EXPECT_EQ("ab", text("a\xEF\xEF\xBF\xBE\xBF\xBE" "b"));
}

TEST(XmlEscapeSectionSafetyTest, MarkersFormedByDroppedBytesAreText) {
    EXPECT_EQ("&lt;![CDATA[&lt;x&gt;]]&gt;", text(std::string("<![CD\x02" "ATA[<x>]]>")));
    EXPECT_EQ("&lt;![CDATA[ &amp;", text(std::string("<![CD\x02" "ATA[ &")));
}

}  // namespace
}  // namespace ostrel::xml
