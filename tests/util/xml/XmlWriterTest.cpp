#include "util/xml/XmlWriter.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>

namespace ostrel::xml {
namespace {

TEST(XmlWriterTest, WritesEachLineFormIndentedByTabs) {
    XmlAttributeList attributes;
    attributes["Name"] = "a\"b";
    std::ostringstream out;
    writeXmlDeclaration(out, "ISO-8859-1");
    writeXmlDeclaration(out, "");
    writeStartTag(out, 0, "Root");
    writeStartTag(out, 1, "Files", attributes);
    writeEmptyElement(out, 2, "File", attributes);
    writeTextElement(out, 3, "Log", "x < \"y\"", attributes);
    writeTextElement(out, 1, "Empty", "", XmlAttributeList());
    writeStartTag(out, -2, "Flat");
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
              "<?xml version=\"1.0\"?>\n"
              "<Root>\n"
              "\t<Files Name=\"a&quot;b\">\n"
              "\t\t<File Name=\"a&quot;b\" />\n"
              "\t\t\t<Log Name=\"a&quot;b\">x &lt; \"y\"</Log>\n"
              "\t<Empty></Empty>\n"
              "<Flat>\n",
              out.str());
}

TEST(XmlWriterTest, EndTagWriterClosesOnScopeExitAndOnException) {
    std::ostringstream out;
    {
        EndTagWriter outer(out, 0, "Outer");
        {
            EndTagWriter inner(out, 2, "Inner");
            EXPECT_EQ("", out.str());
        }
        EXPECT_EQ("\t\t</Inner>\n", out.str());
    }
    EXPECT_EQ("\t\t</Inner>\n</Outer>\n", out.str());

    std::ostringstream cutShort;
    try {
        EndTagWriter end(cutShort, 1, "Open");
        throw std::runtime_error("failure");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ("\t</Open>\n", cutShort.str());
}

TEST(XmlWriterTest, AttributeListKeepsOrderOfFirstUse) {
    XmlAttributeList attributes;
    attributes["Type"] = "int";
    attributes["Name"] = "Count";
    std::string& isNull = attributes["IsNull"];
    attributes["Type"] = "long";  // changed in place
    EXPECT_EQ("", attributes["Other"]);
    isNull = "true";  // references survive later additions
    ASSERT_EQ(4u, attributes.size());

    std::ostringstream out;
    writeEmptyElement(out, 0, "E", attributes);
    EXPECT_EQ("<E Type=\"long\" Name=\"Count\" IsNull=\"true\" Other=\"\" />\n", out.str());

    attributes.clear();
    EXPECT_TRUE(attributes.empty());
    attributes["Name"] = "x";
    std::ostringstream again;
    writeStartTag(again, 0, "E", attributes);
    EXPECT_EQ("<E Name=\"x\">\n", again.str());
}

TEST(XmlWriterTest, TextAndValuesEndAtTheirFirstNul) {
    XmlAttributeList attributes;
    attributes["A"] = std::string("v\0w", 3);
    std::ostringstream out;
    writeTextElement(out, 0, "T", std::string("t\0u", 3), attributes);
    EXPECT_EQ("<T A=\"v\">t</T>\n", out.str());
}

}  // namespace
}  // namespace ostrel::xml
