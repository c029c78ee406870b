#include "util/xml/ParseMessageList.h"
#include "util/xml/SimpleSAXHandler.h"
#include "util/xml/SourceLineReader.h"

#include "tests/support/TestFiles.h"
#include "util/xml/XmlPlatform.h"

#include <gtest/gtest.h>
#include <xercesc/sax/SAXParseException.hpp>

#include <string>

namespace ostrel::xml {
namespace {

using testing_support::ScopedTempDir;
using testing_support::writeBytes;

// A line of 1,000 characters in which every position can be told apart.
std::string longLine() {
    std::string line;
    for (int index = 0; index < 1000; ++index) {
        line += static_cast<char>('!' + index % 90);
    }
    return line;
}

TEST(SourceLineReaderTest, ExcerptsAroundTheColumn) {
    ScopedTempDir dir;
    const std::string line = longLine();
    writeBytes(dir.file("source.xml"), "first\n  \tshort line \r\n" + line + "\nlast");
    SourceLineReader reader;

    // 128 characters before column 300: 172 are skipped, 255 read, and the
    // 255 cut by 63 at each end.
    EXPECT_EQ(line.substr(172 + 63, 129), reader.excerpt(dir.file("source.xml"), 3, 300));
    // Near the line start the excerpt starts at the line start, trimmed.
    EXPECT_EQ("short line", reader.excerpt(dir.file("source.xml"), 2, 5));
    EXPECT_EQ("first", reader.excerpt(dir.file("source.xml"), 1, 128));
    EXPECT_EQ("last", reader.excerpt(dir.file("source.xml"), 4, 1));
    // A 1,000-character line read from its start is cut to 128 characters.
    EXPECT_EQ(line.substr(63, 129), reader.excerpt(dir.file("source.xml"), 3, 1));

    EXPECT_EQ("", reader.excerpt(dir.file("source.xml"), 5, 1));
    EXPECT_EQ("", reader.excerpt(dir.file("source.xml"), 0, 1));
    EXPECT_EQ("", reader.excerpt(dir.file("source.xml"), 2, 2000));
    EXPECT_EQ("", reader.excerpt(dir.file("missing.xml"), 1, 1));
}

TEST(ParseMessageListTest, FormatsMessagesGroupedBySource) {
    ScopedTempDir dir;
    writeBytes(dir.file("a.xml"), "<r>\n  <x/>\n</r>\n");
    ParseMessageList list;
    EXPECT_FALSE(list.hasMessages());
    EXPECT_EQ("", list.getText("error"));

    list.add(dir.file("a.xml"), 2, 5, "bad x");
    list.add("http://example.invalid/b.xml", 7, 3, "remote");
    list.add(dir.file("a.xml"), 0, 4, "no position");
    list.add(dir.file("a.xml"), -1, 4, "negative");
    EXPECT_TRUE(list.hasMessages());
    EXPECT_EQ("Line 2, Column 5 (near <x/>)\nbad x\n"
              "no position\n"
              "negative\n"
              "\nParse error(s) in: " + dir.file("a.xml") + "\n"
              "Line 7, Column 3\nremote\n"
              "\nParse error(s) in: http://example.invalid/b.xml\n",
              list.getText("error"));

    list.clear();
    EXPECT_FALSE(list.hasMessages());
    EXPECT_EQ("", list.getText("warning"));
}

TEST(SimpleSAXHandlerTest, CollectsErrorsAndWarningsApart) {
    initializeXmlPlatform();
    const xercesc::SAXParseException problem(u"problem", u"", u"nowhere.xml", 3, 9);
    SimpleSAXHandler handler;

    handler.warning(problem);
    EXPECT_FALSE(handler.hasErrors());
    EXPECT_EQ("", handler.getErrorText());
    EXPECT_EQ("Line 3, Column 9\nproblem\n\nParse warning(s) in: nowhere.xml\n", handler.getWarningText());

    handler.error(problem);
    EXPECT_TRUE(handler.hasErrors());
    EXPECT_EQ("Line 3, Column 9\nproblem\n\nParse error(s) in: nowhere.xml\n", handler.getErrorText());

    EXPECT_THROW(handler.fatalError(problem), xercesc::SAXParseException);
    handler.resetErrors();
    EXPECT_FALSE(handler.hasErrors());
    EXPECT_EQ("", handler.getWarningText());
}

}  // namespace
}  // namespace ostrel::xml
