// Found by fuzzing while CDATA sections in a value were still copied as
// sections: characters the escaping drops (control bytes, U+FFFE, U+FFFF)
// between "]]" and ">" ended the section early, so the text after it went
// out as raw markup. Values are text throughout now; dropping characters
// must still never leave markup behind.
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
