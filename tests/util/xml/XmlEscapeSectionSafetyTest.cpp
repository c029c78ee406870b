// Found by fuzzing: characters the escaping drops (control bytes, U+FFFE,
// U+FFFF) between "]]" and ">" inside a CDATA section used to end the
// section early, so the text after it went out as raw markup.
#include "util/xml/XmlEscape.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel::xml {
namespace {

std::string text(const std::string& source) { return escapeXml(source.c_str(), false); }

TEST(XmlEscapeSectionSafetyTest, DroppedControlByteCannotCloseASectionEarly) {
    // The first "]]>" appears only once the control byte is gone, so it is
    // the section's end and what follows is escaped like any other text.
    EXPECT_EQ("<![CDATA[a]]>&lt;b&gt;]]&gt;", text(std::string("<![CDATA[a]]\x01><b>]]>")));
}

TEST(XmlEscapeSectionSafetyTest, DroppedNonCharacterCannotCloseASectionEarly) {
    EXPECT_EQ("<![CDATA[a]]>&lt;b&gt;]]&gt;", text("<![CDATA[a]]\xEF\xBF\xBE><b>]]>"));
    EXPECT_EQ("<![CDATA[a]]>&lt;b&gt;]]&gt;", text("<![CDATA[a]]\xEF\xBF\xBF><b>]]>"));
    // Removing one non-character can bring the bytes of another together.
    EXPECT_EQ("ab", text("a\xEF\xEF\xBF\xBE\xBF\xBE" "b"));
}

TEST(XmlEscapeSectionSafetyTest, MarkersFormedByDroppedBytesStartASection) {
    EXPECT_EQ("<![CDATA[<x>]]>", text(std::string("<![CD\x02" "ATA[<x>]]>")));
    // Without a later end the opening marker is escaped as text.
    EXPECT_EQ("&lt;![CDATA[ &amp;", text(std::string("<![CD\x02" "ATA[ &")));
}

}  // namespace
}  // namespace ostrel::xml
