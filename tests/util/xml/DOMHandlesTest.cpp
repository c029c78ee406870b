#include "util/xml/DOMDocumentPtr.h"
#include "util/xml/DOMElementList.h"
#include "util/xml/DOMElementPtr.h"
#include "util/xml/DOMNodeListPtr.h"
#include "util/xml/DOMNodePtr.h"

#include "tests/support/TestFiles.h"
#include "util/xml/CrXmlException.h"
#include "util/xml/XmlDocumentLoader.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel::xml {
namespace {

using testing_support::ScopedTempDir;
using testing_support::writeBytes;

const char kDocument[] =
    "<Root xmlns:n=\"urn:n\" xml:lang=\"en\">"
    "<Item Name=\"a\">first<b/>second</Item>"
    "text between"
    "<Item Name=\"b\"><Sub/>tail</Item>"
    "<Data><![CDATA[cdata]]></Data>"
    "<n:Spaced/>"
    "</Root>";

class DOMHandlesTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeBytes(dir_.file("doc.xml"), kDocument);
        std::string errorText;
        document_ = loadXmlDocument(dir_.file("doc.xml"), errorText, false);
        ASSERT_EQ("", errorText);
        root_ = document_.selectSingleNode("Root");
    }

    // The message of the CrXmlException that selecting expression raises.
    std::string queryFailure(const std::string& expression) {
        try {
            root_.selectNodeList(expression);
        } catch (const CrXmlException& exception) {
            return exception.getMessage();
        }
        return "no exception";
    }

    ScopedTempDir dir_;
    DOMDocumentPtr document_;
    DOMElementPtr root_;
};

TEST_F(DOMHandlesTest, NullHandlesAnswerWithNullOrEmpty) {
    const DOMElementPtr element;
    EXPECT_TRUE(element.isNull());
    EXPECT_TRUE(element == nullptr);
    EXPECT_FALSE(element != nullptr);
    EXPECT_EQ(0, element.getNodeType());
    EXPECT_EQ("", element.getText());
    EXPECT_EQ("", element.getNodeValue());
    EXPECT_TRUE(element.selectSingleNode("Root").isNull());
    EXPECT_TRUE(element.selectNodeList("Root").isNull());
    EXPECT_TRUE(element.getChildNodes() == nullptr);
    EXPECT_EQ("", element.getAttribute("Name"));
    try {
        element.getAttribute("Name", true);
        FAIL() << "no exception";
    } catch (const CrXmlException& exception) {
        EXPECT_EQ("This DOM Element is null.", exception.getMessage());
        EXPECT_EQ(E_FAIL, exception.getCode());
    }
    const DOMNodeListPtr list;
    EXPECT_EQ(0u, list.getLength());
    EXPECT_TRUE(list.item(0).isNull());
    EXPECT_EQ(0u, DOMElementList(list).size());
}

TEST_F(DOMHandlesTest, SelectSingleNodeFindsTheFirstMatchOrNothing) {
    ASSERT_FALSE(root_.isNull());
    EXPECT_EQ(1, root_.getNodeType());
    EXPECT_TRUE(document_.selectSingleNode("Missing").isNull());
    const DOMElementPtr item = root_.selectSingleNode("Item");
    EXPECT_EQ("a", item.getAttribute("Name"));
    // Separately made handles on one node are the same node.
    const DOMNodePtr again = document_.selectSingleNode("/Root/Item[1]");
    EXPECT_TRUE(again.isSameNode(item));
    EXPECT_TRUE(again == item);
    EXPECT_FALSE(again.isSameNode(root_));
    EXPECT_FALSE(DOMNodePtr().isSameNode(item));
    EXPECT_FALSE(item.isSameNode(DOMNodePtr()));
    EXPECT_TRUE(DOMNodePtr().isSameNode(DOMNodePtr()));
}

TEST_F(DOMHandlesTest, NodeListsKeepDocumentOrderAndTheDocument) {
    DOMNodeListPtr items = root_.selectNodeList("Item");
    ASSERT_EQ(2u, items.getLength());
    EXPECT_EQ("b", DOMElementPtr(items.item(1)).getAttribute("Name"));
    EXPECT_TRUE(items.item(2).isNull());

    const DOMNodeListPtr none = root_.selectNodeList("Missing");
    EXPECT_FALSE(none.isNull());
    EXPECT_TRUE(none != nullptr);
    EXPECT_EQ(0u, none.getLength());

    // The children mix text and elements; the element list keeps elements.
    const DOMNodeListPtr children = root_.getChildNodes();
    EXPECT_EQ(5u, children.getLength());
    const DOMElementList elements(children);
    ASSERT_EQ(4u, elements.size());
    EXPECT_EQ("b", elements.at(1).getAttribute("Name"));
    EXPECT_TRUE(elements.at(4).isNull());

    // Every handle and list holds one reference (document, root, three
    // lists, four elements); the last one frees it all.
    EXPECT_EQ(9, document_.getParsedDocument()->getReferenceCount());
    document_ = DOMDocumentPtr();
    root_ = DOMElementPtr();
    EXPECT_EQ(7, items.item(0).getParsedDocument()->getReferenceCount() - 1);
    EXPECT_EQ("a", DOMElementPtr(items.item(0)).getAttribute("Name"));
    items = DOMNodeListPtr();
    EXPECT_EQ("firstsecond", elements.at(0).getText());
    EXPECT_EQ("tail", elements.at(1).selectSingleNode("text()").getText());
}

TEST_F(DOMHandlesTest, PrefixesResolveThroughTheDocument) {
    EXPECT_EQ("en", root_.selectSingleNode("@xml:lang").getText());
    EXPECT_EQ(2, root_.selectSingleNode("@xml:lang").getNodeType());
    EXPECT_EQ("The XPath expression \"n:Spaced\" is not valid. The prefix 'n' is not declared.\n"
              "expression = 'n:Spaced' Remaining tokens are:  ()",
              queryFailure("n:Spaced"));
    EXPECT_TRUE(root_.selectSingleNode("Spaced").isNull());

    // A prefix bound on one handle serves every handle of the document.
    DOMNodePtr(root_).addNamespace("p", "urn:n");
    EXPECT_FALSE(document_.selectSingleNode("Root/p:Spaced").isNull());
    DOMNodePtr().addNamespace("q", "urn:n");
}

TEST_F(DOMHandlesTest, InvalidExpressionNamesTheExpression) {
    EXPECT_EQ("The XPath expression \"Item[\" is not valid. Expected ']', but found '' instead.\n"
              "expression = 'Item[' Remaining tokens are:  ( '[')",
              queryFailure("Item["));
    try {
        root_.selectSingleNode("/[");
        FAIL() << "no exception";
    } catch (const CrXmlException& exception) {
        EXPECT_EQ(0u, exception.getMessage().find("The XPath expression \"/[\" is not valid. "));
    }
}

TEST_F(DOMHandlesTest, NodeOutsideAParsedDocumentCannotBeQueried) {
    const DOMNodePtr stray(root_.get(), nullptr);
    try {
        stray.selectSingleNode("Item");
        FAIL() << "no exception";
    } catch (const CrXmlException& exception) {
        EXPECT_EQ("Failed to select single node using XPath query 'Item'. "
                  "The context node does not belong to a parsed document.",
                  exception.getMessage());
    }
    EXPECT_THROW(stray.selectNodeList("Item"), CrXmlException);
}

TEST_F(DOMHandlesTest, TextIsTheWholeCharacterContent) {
    // Child elements add nothing, the text around them all of itself.
    EXPECT_EQ("firstsecond", root_.selectSingleNode("Item[1]").getText());
    EXPECT_EQ("tail", root_.selectSingleNode("Item[2]").getText());
    EXPECT_EQ("cdata", root_.selectSingleNode("Data").getText());
    EXPECT_EQ("cdata", root_.selectSingleNode("Data/node()").getText());
    EXPECT_EQ("a", root_.selectSingleNode("Item/@Name").getText());
    EXPECT_EQ("", document_.getText());

    const DOMNodePtr text = root_.selectSingleNode("text()");
    EXPECT_EQ(3, text.getNodeType());
    EXPECT_EQ("text between", text.getText());
    EXPECT_TRUE(DOMElementPtr(text).isNull());
}

TEST_F(DOMHandlesTest, TextJoinsTextAndCdataInDocumentOrder) {
    const struct {
        const char* content;
        const char* text;
    } cases[] = {
        {"A<![CDATA[<B>]]>C", "A<B>C"},
        {"<![CDATA[only]]>", "only"},
        {"<![CDATA[]]>", ""},
        {"a<!--note-->b<?pi x?>c", "abc"},
        {"x&e;y", "x[v]y"},  // the entity's text, not its element's
        {"&lt;&#13;&#x20AC;", "<\r\xE2\x82\xAC"},
    };
    for (const auto& entry : cases) {
        writeBytes(dir_.file("content.xml"),
                   std::string("<!DOCTYPE r [<!ENTITY e \"[<i>in</i>v]\">]><r>") + entry.content + "</r>");
        std::string errorText;
        const DOMDocumentPtr document = loadXmlDocument(dir_.file("content.xml"), errorText, false);
        ASSERT_EQ("", errorText) << entry.content;
        EXPECT_EQ(entry.text, DOMElementPtr(document.selectSingleNode("r")).getText()) << entry.content;
    }
}

TEST_F(DOMHandlesTest, AbsentAttributeReadsEmpty) {
    EXPECT_EQ("", root_.getAttribute("Missing"));
    EXPECT_EQ("", root_.getAttribute("Missing", true));
    EXPECT_EQ("en", root_.getAttribute("xml:lang", true));
}

}  // namespace
}  // namespace ostrel::xml
