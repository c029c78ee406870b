#include "util/xml/XmlDocumentLoader.h"

#include "tests/support/InputDocument.h"
#include "tests/util/xml/XmlDocumentLoaderTest.h"
#include "util/xml/DOMElementPtr.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace ostrel::xml {
namespace {

using testing_support::readBytes;
using testing_support::repeated;
using testing_support::writeBytes;

const char kInvalidAgainstDtd[] =
    "<?xml version=\"1.0\"?>\n"
    "<!DOCTYPE r [ <!ELEMENT r (a)> <!ELEMENT a (#PCDATA)> ]>\n"
    "<r><a>x</a><zz/></r>\n";

TEST_F(XmlDocumentLoaderTest, MissingFileIsReportedWithoutParsing) {
    std::string errorText = "left over";
    const DOMDocumentPtr document = loadXmlDocument(dir_.file("input.xml"), errorText, false);
    EXPECT_TRUE(document.isNull());
    EXPECT_EQ("The input file \"" + dir_.file("input.xml") + "\" does not exist.", errorText);
}

TEST_F(XmlDocumentLoaderTest, WellFormedDocumentLoadsWithEmptyErrorText) {
    const DOMDocumentPtr document = load("good.xml", "<r><a>x</a></r>");
    ASSERT_FALSE(document.isNull());
    EXPECT_EQ("", errorText_);
    EXPECT_EQ(dir_.file("good.xml"), document.getPath());
    EXPECT_EQ("x", DOMElementPtr(document.selectSingleNode("r/a")).getText());
    EXPECT_EQ(1, document.getParsedDocument()->getReferenceCount());
}

TEST_F(XmlDocumentLoaderTest, MalformedDocumentIsAFatalSaxError) {
    const std::string content = "<?xml version=\"1.0\"?>\n<r><a>x</b></r>\n";
    EXPECT_TRUE(load("bad.xml", content).isNull());
    EXPECT_EQ("Fatal SAX error: expected end of tag 'a'\n\nXML file: " + named("bad.xml"), errorText_);

    DOMDocumentPtr document;
    EXPECT_FALSE(document.parseFile(dir_.file("bad.xml")));
    EXPECT_TRUE(document.isNull());
    const std::string expected = "Fatal SAX error: expected end of tag 'a'\n\nXML file: " + named("bad.xml");
    EXPECT_EQ(expected, document.getErrorText());
    EXPECT_EQ("Reading failed\n" + expected, getParseErrorText(document, "Reading failed"));
}

TEST_F(XmlDocumentLoaderTest, ValidationErrorsAreCollectedWithPositionAndSource) {
    EXPECT_TRUE(load("invalid.xml", kInvalidAgainstDtd, true).isNull());
    EXPECT_EQ("Line 3, Column 17 (near <r><a>x</a><zz/></r>)\n"
              "no declaration found for element 'zz'\n"
              "Line 3, Column 21 (near <r><a>x</a><zz/></r>)\n"
              "element 'zz' is not allowed for content model '(a)'\n"
              "\n"
              "Parse error(s) in: " + named("invalid.xml") + "\n",
              errorText_);
    // Without validation only well-formedness counts.
    EXPECT_FALSE(load("invalid.xml", kInvalidAgainstDtd, false).isNull());
    EXPECT_EQ("", errorText_);
}

TEST_F(XmlDocumentLoaderTest, ByteOrderMarkIsRemovedFromTheFileBeforeParsing) {
    const DOMDocumentPtr document = load("bom.xml", "\xEF\xBB\xBF<r>\xC3\xA9</r>");
    ASSERT_FALSE(document.isNull());
    EXPECT_EQ("\xC3\xA9", DOMElementPtr(document.selectSingleNode("r")).getText());
    EXPECT_EQ("<r>\xC3\xA9</r>", readBytes(dir_.file("bom.xml")));
}

TEST_F(XmlDocumentLoaderTest, NothingOutsideTheDocumentIsRead) {
    writeBytes(dir_.file("secret.txt"), "top secret");
    const std::string secretUrl = "file://" + dir_.file("secret.txt");

    EXPECT_TRUE(load("general.xml", "<!DOCTYPE r [ <!ENTITY x SYSTEM \"" + secretUrl + "\"> ]>\n<r>&x;</r>").isNull());
    EXPECT_EQ("Fatal SAX error: unable to open external entity '" + secretUrl + "'\n\nXML file: " +
                  named("general.xml"),
              errorText_);

    EXPECT_TRUE(load("parameter.xml", "<!DOCTYPE r [ <!ENTITY % p SYSTEM \"" + secretUrl + "\"> %p; ]>\n<r/>").isNull());
    EXPECT_EQ(std::string::npos, errorText_.find("top secret"));

    // An external DTD is never fetched: skipped without validation, and a
    // failure with it.
    const std::string externalDtd = "<!DOCTYPE r SYSTEM \"http://127.0.0.1:9/r.dtd\">\n<r/>";
    EXPECT_FALSE(load("dtd.xml", externalDtd, false).isNull());
    EXPECT_TRUE(load("dtd.xml", externalDtd, true).isNull());
    EXPECT_EQ("Fatal SAX error: unable to open DTD document 'http://127.0.0.1:9/r.dtd'\n\nXML file: " +
                  named("dtd.xml"),
              errorText_);
}

TEST_F(XmlDocumentLoaderTest, NestedEntityExpansionIsBounded) {
    std::string content = "<!DOCTYPE r [\n<!ENTITY l0 \"ha\">\n";
    for (int level = 1; level < 10; ++level) {
        std::string expansion;
        for (int copy = 0; copy < 10; ++copy) {
            expansion += "&l" + std::to_string(level - 1) + ";";
        }
        content += "<!ENTITY l" + std::to_string(level) + " \"" + expansion + "\">\n";
    }
    content += "]>\n<r>&l9;</r>\n";
    EXPECT_TRUE(load("laughs.xml", content).isNull());
    EXPECT_EQ("Fatal SAX error: the entity reference at line 13, column 8 expands entities more than 10000 times; "
              "a document may expand entities at most 10000 times\n\nXML file: " + named("laughs.xml"),
              errorText_);
    // Ordinary internal entities still expand.
    const DOMDocumentPtr document = load("entity.xml", "<!DOCTYPE r [ <!ENTITY e \"value\"> ]><r a=\"&e;&amp;\"/>");
    EXPECT_EQ("value&", DOMElementPtr(document.selectSingleNode("r")).getAttribute("a"));
}

// A short document must not expand into a large one: the text entities and
// attribute defaults add is bounded wherever they are used, and so is the
// internal subset; each document below is refused as soon as it passes.
TEST_F(XmlDocumentLoaderTest, ExpansionIsBoundedBySize) {
    const std::string big = repeated("A", 50000);
    const std::string entity = "<!ENTITY big \"" + big + "\">\n";
    const auto added = [](const std::string& where) {
        return "the text that entities and attribute defaults add passes 1048576 characters with " + where +
               "; a document's entities and attribute defaults may add at most 1048576 characters";
    };
    const struct {
        const char* what;
        std::string document;
        std::string reason;
    } cases[] = {
        {"content", "<!DOCTYPE r [" + entity + "]><r>" + repeated("&big;", 9000) + "</r>",
         added("the entity reference at line 2, column 111")},
        {"an attribute", "<!DOCTYPE r [" + entity + "]><r a=\"" + repeated("&big;", 9000) + "\"/>",
         added("the entity reference at line 2, column 114")},
        {"nested entities", "<!DOCTYPE r [" + entity + "<!ENTITY b2 \"" + repeated("&big;", 100) + "\">]><r>" +
                                repeated("&b2;", 90) + "</r>",
         added("the entity reference at line 2, column 525")},
        {"attribute defaults", "<!DOCTYPE r [<!ATTLIST a d CDATA \"" + big + "\">]><r>" + repeated("<a/>", 9000) +
                                   "</r>",
         added("the attribute defaults of the element at line 1, column 50126")},
        {"parameter entities", "<!DOCTYPE r [<!ENTITY % d \"<!-- " + big + " -->\">" + repeated("%d;", 9000) +
                                   "]><r/>",
         "the internal subset of the document type declaration passes 1048576 characters at line 1, column 50099, "
         "parameter entities expanded; a document's internal subset may hold at most 1048576 characters"},
        // References in a default are expanded while the DTD is read; 9,000
        // of them took seconds, nested ones minutes, without using memory.
        {"a default after an entity", "<!DOCTYPE r [<!ENTITY w \" \"><!ATTLIST r d NMTOKENS \"" +
                                          repeated("&w;", 9000) + "\">]><r/>",
         "the attribute-list declaration at line 1, column 40 follows the declaration of a general entity; a "
         "document may declare attribute lists only before its general entities, since references in attribute "
         "defaults cannot be bounded"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(load("expanding.xml", c.document).isNull()) << c.what;
        EXPECT_EQ("Fatal SAX error: " + c.reason + "\n\nXML file: " + named("expanding.xml"), errorText_)
            << c.what;
    }
    // Within the bounds, defaults and entities work as ever.
    const DOMDocumentPtr document =
        load("within.xml", "<!DOCTYPE r [<!ATTLIST r d CDATA \"default\"><!ENTITY e \"" + repeated("x", 1000) +
                               "\">]><r>" + repeated("&e;", 1000) + "</r>");
    ASSERT_FALSE(document.isNull()) << errorText_;
    EXPECT_EQ("default", DOMElementPtr(document.selectSingleNode("r")).getAttribute("d"));
    EXPECT_EQ(1000000u, DOMElementPtr(document.selectSingleNode("r")).getText().size());
}

TEST_F(XmlDocumentLoaderTest, OnlyARegularFileIsReadAndNothingWaits) {
    ASSERT_TRUE(std::filesystem::create_directory(dir_.file("folder.xml")));
    expectRefusedAsNoRegularFile("folder.xml");
}

std::string attributes(std::size_t count) {
    std::string text;
    for (std::size_t index = 0; index < count; ++index) {
        text += " a" + std::to_string(index) + "=\"\"";
    }
    return text;
}

TEST_F(XmlDocumentLoaderTest, StructureIsBoundedInDepthAndAttributes) {
    // At the bounds, and with any number of elements side by side, a
    // document parses: 999 levels of a, and the b elements on level 1000.
    const std::string deepest = repeated("<a>", 999) + repeated("<b/>", 3000) + repeated("</a>", 999);
    EXPECT_FALSE(load("deepest.xml", deepest).isNull()) << errorText_;
    EXPECT_FALSE(load("widest.xml", "<r" + attributes(1000) + "/>").isNull()) << errorText_;

    EXPECT_TRUE(load("deeper.xml", "<r>\n" + repeated("<a>", 1000) + repeated("</a>", 1000) + "\n</r>").isNull());
    EXPECT_EQ("Fatal SAX error: the element at line 2, column 3001 is nested more than 1000 "
              "levels deep; a document may nest elements at most 1000 levels deep\n\nXML file: " +
                  named("deeper.xml"),
              errorText_);
    const std::string wider = "<r xmlns:p=\"urn:p\"" + attributes(1000) + "/>";
    EXPECT_TRUE(load("wider.xml", wider).isNull());
    EXPECT_EQ("Fatal SAX error: the element at line 1, column " + std::to_string(wider.size() + 1) +
                  " has 1001 attributes; a document may give an element at most 1000 attributes, namespace "
                  "declarations included\n\nXML file: " + named("wider.xml"),
              errorText_);
}

// A chain of count entities, each but the last referring to the next, and
// the reference to the first in the document: count levels of nesting.
std::string entityChain(std::size_t count, bool parameter) {
    const std::string mark = parameter ? "% " : "";
    std::string text = "<!DOCTYPE r [\n";
    for (std::size_t index = 0; index < count; ++index) {
        const std::string next = index + 1 < count ? (parameter ? "&#37;p" : "&p") + std::to_string(index + 1) + ";"
                                                   : std::string(parameter ? "<!--x-->" : "x");
        text += "<!ENTITY " + mark + "p" + std::to_string(index) + " \"" + next + "\">\n";
    }
    return parameter ? text + "%p0;]><r/>" : text + "]><r>&p0;</r>";
}

// Elements r, n1, n2... : count distinct names.
std::string distinctNames(std::size_t count) {
    std::string text = "<r>";
    for (std::size_t index = 1; index < count; ++index) {
        text += "<n" + std::to_string(index) + "/>";
    }
    return text + "</r>";
}

// Declarations of the prefixes name0, name1...
std::string declarations(const std::string& name, std::size_t count) {
    std::string text;
    for (std::size_t index = 0; index < count; ++index) {
        text += " xmlns:" + name + std::to_string(index) + "=\"urn:u\"";
    }
    return text;
}

// Each bound holds a document exactly at it and refuses one just past it.
TEST_F(XmlDocumentLoaderTest, EveryBoundHoldsExactlyAndRefusesOnePast) {
    const std::string entity = "<!DOCTYPE r [<!ENTITY e \"x\">]>";
    // The subset is recorded as the comment and two characters more.
    const std::string subset = "<!DOCTYPE r [<!--";
    const struct {
        const char* bound;
        std::string atBound;
        std::string pastBound;
        std::string reason;
    } cases[] = {
        {"expansions", entity + "<r>" + repeated("&e;", 10000) + "</r>",
         entity + "<r>" + repeated("&e;", 10001) + "</r>",
         "expands entities more than 10000 times; a document may expand entities at most 10000 times"},
        {"internal subset", subset + repeated("c", 1048567) + "-->]><r/>",
         subset + repeated("c", 1048568) + "-->]><r/>",
         "parameter entities expanded; a document's internal subset may hold at most 1048576 characters"},
        {"entity depth", entityChain(32, false), entityChain(33, false),
         "nests entities more than 32 levels deep; a document may nest entity references at most 32 levels deep"},
        {"parameter entity depth", entityChain(33, true), entityChain(34, true),
         "makes more than 32 parameter entities whose text refers to a parameter entity; a document may declare at "
         "most 32 of them, so that entity references nest at most 32 levels deep"},
        {"distinct names", distinctNames(10000), distinctNames(10001),
         "brings the distinct names of elements, attributes and namespaces past 10000; a document may use at most "
         "10000 distinct names"},
        {"declarations in scope", "<r" + declarations("p", 600) + "><a" + declarations("q", 400) + "/></r>",
         "<r" + declarations("p", 600) + "><a" + declarations("q", 401) + "/></r>",
         "brings the namespace declarations in scope to 1001; a document may have at most 1000 namespace "
         "declarations in scope at an element, those of the elements around it included"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(load("at.xml", c.atBound).isNull()) << c.bound << ": " << errorText_;
        EXPECT_TRUE(load("past.xml", c.pastBound).isNull()) << c.bound;
        EXPECT_NE(std::string::npos, errorText_.find(c.reason + "\n\nXML file: " + named("past.xml")))
            << c.bound << ": " << errorText_;
    }
    // Declarations go out of scope with their element.
    EXPECT_FALSE(load("siblings.xml", "<r>" + repeated("<a" + declarations("p", 999) + "/>", 3) + "</r>").isNull())
        << errorText_;
}

}  // namespace
}  // namespace ostrel::xml
