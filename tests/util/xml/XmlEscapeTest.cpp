#include "util/xml/XmlEscape.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel::xml {
namespace {

std::string text(const std::string& source) { return escapeXml(source.c_str(), false); }
std::string attribute(const std::string& source) { return escapeXml(source.c_str(), true); }

TEST(XmlEscapeTest, EscapesMarkupAndQuotesOnlyInAttributes) {
    EXPECT_EQ("a&lt;b &amp; \"c\"", text("a<b & \"c\""));
    EXPECT_EQ("a&lt;b &amp; &quot;c&quot;", attribute("a<b & \"c\""));
    EXPECT_EQ("x &gt; y", text("x > y"));
    EXPECT_EQ("it's", attribute("it's"));
    EXPECT_EQ("&amp;amp;", text("&amp;"));
    EXPECT_EQ("", text(""));
    EXPECT_EQ("&lt;&gt;&amp;&quot;", attribute("<>&\""));
    EXPECT_EQ("plain words stay", text("plain words stay"));
}

TEST(XmlEscapeTest, DropsControlBytesButKeepsLineBreaksAndTabs) {
    EXPECT_EQ("ab\t\n&#13;c", text(std::string("a\x01" "b\t\n\r\x1f" "c")));
    EXPECT_EQ("ab", attribute(std::string("a\x08\x0b\x0c" "b")));
    EXPECT_EQ("&lt;x", text(std::string("\x02<\x03x")));
    // The text ends at its first NUL.
    EXPECT_EQ("ab", text(std::string("ab\0cd", 5)));
}

TEST(XmlEscapeTest, EscapesWhiteSpaceThatAParserWouldNormalise) {
    // A raw CR reads back as LF; in attributes raw tab, LF and CR read back
    // as blanks.
    EXPECT_EQ("a&#13;\nb\tc&#13;", text("a\r\nb\tc\r"));
    EXPECT_EQ("a&#13;&#10;b&#9;c&#13;", attribute("a\r\nb\tc\r"));
    EXPECT_EQ("&#10;&#10; &#9;", attribute("\n\n \t"));
}

TEST(XmlEscapeTest, CdataMarkersAreTextLikeAnyOther) {
    EXPECT_EQ("a&amp;&lt;![CDATA[&lt;b&gt; &amp; \"c\"]]&gt;&lt;d", text("a&<![CDATA[<b> & \"c\"]]><d"));
    EXPECT_EQ("x&lt;![CDATA[y]]&gt;z", text("x<![CDATA[y]]>z"));
    EXPECT_EQ("&lt;![CDATA[ab]]&gt;", text(std::string("<![CDATA[a\x01" "b]]>")));
    EXPECT_EQ("&lt;![CDATA[&lt;]]&gt;", attribute("<![CDATA[<]]>"));
}

TEST(XmlEscapeTest, EscapesUnmatchedCdataMarkersLikeOtherText) {
    EXPECT_EQ("a]]&gt;b", text("a]]>b"));
    EXPECT_EQ("&lt;![CDATA[a &lt; b", text("<![CDATA[a < b"));
    EXPECT_EQ("]]&gt;&amp;&lt;![CDATA[&amp;]]&gt;", text("]]>&<![CDATA[&]]>"));
}

TEST(XmlEscapeTest, WritesLatin1BytesAndReferencesAboveLatin1) {
    // e with diaeresis (C3 AB) becomes the single byte EB.
    EXPECT_EQ("Zo\xeb", text("Zo\xc3\xab"));
    EXPECT_EQ("\xa0\xff", attribute("\xc2\xa0\xc3\xbf"));
    EXPECT_EQ("&#8364;100", text("\xe2\x82\xac" "100"));
    EXPECT_EQ("&#26085;&#26412;", attribute("\xe6\x97\xa5\xe6\x9c\xac"));
    EXPECT_EQ("&#128512;", text("\xf0\x9f\x98\x80"));
    // Noncharacters have no place in XML.
    EXPECT_EQ("ab", text("a\xef\xbf\xbf" "b"));
}

TEST(XmlEscapeTest, WritesInvalidUtf8Unchanged) {
    EXPECT_EQ("\xe9t\xe9", text("\xe9t\xe9"));                    // Latin-1 bytes, not UTF-8
    EXPECT_EQ("\xc3", text("\xc3"));                              // cut off at the end
    EXPECT_EQ("\xe2\x82&lt;", text("\xe2\x82<"));                 // cut off by markup
    EXPECT_EQ("\xc0\xaf", text("\xc0\xaf"));                      // overlong
    EXPECT_EQ("\xe0\x80\xaf", text("\xe0\x80\xaf"));              // overlong '/', three bytes
    EXPECT_EQ("\xed\xa0\x80", text("\xed\xa0\x80"));              // surrogate
    EXPECT_EQ("\xf4\x90\x80\x80", text("\xf4\x90\x80\x80"));      // above U+10FFFF
    EXPECT_EQ("\x80\xe9", text("\x80\xc3\xa9"));                  // stray continuation byte
}

TEST(XmlEscapeTest, RunEscapesExactlyTheGivenRange) {
    const char source[] = "a<b]]>c<![CDATA[&]]>";
    EXPECT_EQ("a&lt;b", escapeXmlRun(source, 3, false));
    EXPECT_EQ("a&lt;b]]&gt;c&lt;![CDATA[&amp;]]&gt;", escapeXmlRun(source, sizeof(source) - 1, false));
    EXPECT_EQ("&quot;", escapeXmlRun("\"x", 1, true));
    EXPECT_EQ("", escapeXmlRun(source, 0, true));
}

}  // namespace
}  // namespace ostrel::xml
