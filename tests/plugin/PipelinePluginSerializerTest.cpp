#include "plugin/PipelinePluginSerializer.h"

#include "plugin/InputFiles.h"
#include "plugin/PipelinePluginContext.h"
#include "plugin/PipelinePluginOutput.h"
#include "plugin/data/DataElementImpl.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <xercesc/dom/DOM.hpp>
#include <xercesc/framework/MemBufInputSource.hpp>
#include <xercesc/parsers/XercesDOMParser.hpp>
#include <xercesc/sax/HandlerBase.hpp>
#include <xercesc/util/PlatformUtils.hpp>
#include <xercesc/util/TransService.hpp>
#include <xercesc/util/XMLString.hpp>

using namespace Vellamor::Plugin;

namespace {

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
    "<VellamorPlugin SpecVersion=\"1.0\">\n"
    "\t<PipelinePluginOutput SpecVersion=\"1.0\">\n";
const std::string kTail =
    "\t</PipelinePluginOutput>\n"
    "</VellamorPlugin>\n";

class PipelinePluginSerializerTest : public ::testing::Test {
protected:
    void addElement(const std::string& name, const std::string& value, DataType type) {
        context_.getDataElements().add(*createDataElement(name, value, type));
    }

    void addNullElement(const std::string& name, DataType type) {
        auto element = createDataElement(name, "1", type);
        element->setNull();
        context_.getDataElements().add(*element);
    }

    void setRunMessage(const std::string& text, Severity severity) { output_.setLogMessage({text, severity}); }

    std::string serialize() { return PipelinePluginSerializerImpl().serialize(output_, context_); }

    PipelinePluginOutputImpl output_;
    PipelinePluginContextImpl context_;
};

TEST_F(PipelinePluginSerializerTest, EmptyRunGivesFiveLines) {
    EXPECT_EQ(kHead + kTail, serialize());
}

TEST_F(PipelinePluginSerializerTest, WritesDataElementsInNameOrderWithTheirValueTexts) {
    addElement("b", "3.14159265", DataType::Double);
    addElement("a", "yes", DataType::Bool);
    addNullElement("Count", DataType::Int);
    addElement("B", "text", DataType::String);
    EXPECT_EQ(kHead +
                  "\t\t<DataElements>\n"
                  "\t\t\t<DataElement Name=\"B\" Type=\"string\">text</DataElement>\n"
                  "\t\t\t<DataElement Name=\"Count\" Type=\"int\" IsNull=\"true\"></DataElement>\n"
                  "\t\t\t<DataElement Name=\"a\" Type=\"bool\">true</DataElement>\n"
                  "\t\t\t<DataElement Name=\"b\" Type=\"double\">3.14159265</DataElement>\n"
                  "\t\t</DataElements>\n" +
                  kTail,
              serialize());
}

// A value the plugin sets goes back from its typed form, under the Type text
// the host sent: numbers in the shortest text that reads back as the same
// number (never six digits), dates in the date text form.
TEST_F(PipelinePluginSerializerTest, ValuesThePluginSetsAreWrittenFromTheirTypedForm) {
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        const char* type;
        const char* sent;
        std::function<void(DataElement&)> set;
        const char* written;
    } cases[] = {
        {"double", "3.14159265", [](DataElement& e) { e.setDouble(0.1); }, "0.1"},
        {"Double", "1", [](DataElement& e) { e.setDouble(1.0 / 3.0); }, "0.3333333333333333"},
        {"double", "1", [](DataElement& e) { e.setDouble(123456.7); }, "123456.7"},
        {"int", "7", [](DataElement& e) { e.setDouble(1e6); }, "1000000"},
        {"long", "0", [](DataElement& e) { e.setDouble(9007199254740992.0); }, "9007199254740992"},
        {"float", "1", [](DataElement& e) { e.setDouble(1e300); }, "1e+300"},
        {"double", "1", [infinity](DataElement& e) { e.setDouble(infinity); }, "1e309"},
        {"double", "1", [infinity](DataElement& e) { e.setDouble(-infinity); }, "-1e309"},
        {"double", "1", [](DataElement& e) { e.setDouble(std::nan("")); }, "NaN"},
        {"INT", "1", [](DataElement& e) { e.setString("0012"); }, "12"},
        {"bool", "Yes", [](DataElement& e) { e.setString("yes"); }, "true"},
        {"bool", "Yes", [](DataElement& e) { e.setDouble(0.0); }, "false"},
        {"date", "2026-12-09T10:11:12Z", [](DataElement& e) { e.setString("2026-12-09T10:11:12.25+01:00"); },
         "2026-12-09 10:11:12.25"},
        {"guid", "{A}", [](DataElement& e) { e.setString("{B}"); }, "{B}"},
        {"string", "x", [](DataElement& e) { e.setDouble(1.0 / 3.0); }, "0.333333333333333"},
    };
    std::vector<std::string> lines;
    for (const auto& c : cases) {
        const std::string name = "E" + std::to_string(10 + lines.size());
        context_.getDataElements().add(*DataElementImpl::fromHost(name, c.type, c.sent));
        c.set(context_.getDataElements().get(name));
        lines.push_back("\t\t\t<DataElement Name=\"" + name + "\" Type=\"" + c.type + "\">" + c.written +
                        "</DataElement>\n");
    }
    context_.getDataElements().add(*DataElementImpl::fromHost("Null", "INT", "5"));
    context_.getDataElements().get("Null").setNull();

    const std::string written = serialize();
    for (const std::string& line : lines) {
        EXPECT_NE(std::string::npos, written.find(line)) << line << written;
    }
    EXPECT_NE(std::string::npos,
              written.find("\t\t\t<DataElement Name=\"Null\" Type=\"INT\" IsNull=\"true\"></DataElement>\n"));
}

TEST_F(PipelinePluginSerializerTest, EscapesValuesNamesAndMessages) {
    addElement("say \"hi\"", "a & b < c > \"d\"", DataType::String);
    addElement("kept", "x<![CDATA[<y & z>]]>&", DataType::String);
    setRunMessage("Failed: 'a' < \"b\".", Error);
    EXPECT_EQ(kHead +
                  "\t\t<DataElements>\n"
                  "\t\t\t<DataElement Name=\"kept\" Type=\"string\">"
                  "x&lt;![CDATA[&lt;y &amp; z&gt;]]&gt;&amp;</DataElement>\n"
                  "\t\t\t<DataElement Name=\"say &quot;hi&quot;\" Type=\"string\">"
                  "a &amp; b &lt; c &gt; \"d\"</DataElement>\n"
                  "\t\t</DataElements>\n"
                  "\t\t<Log Severity=\"Error\">Failed: 'a' &lt; \"b\".</Log>\n" +
                  kTail,
              serialize());
}

TEST_F(PipelinePluginSerializerTest, WritesFilesWithTheirMessagesAndOriginsBeforeTheRunMessage) {
    OutputFiles& files = output_.getOutputFiles();
    files.add("bare.txt");
    files.add("a&b.txt", PipelineInputFileImpl("in/a.txt"));
    auto withLog = createOutputFile("c.txt");
    withLog->setLogMessage({"Prepended 3 bytes.", Warning});
    withLog->addInputFile(InputFileImpl("in/c1.txt"));
    withLog->addInputFile(InputFileImpl("in/c\"2\".txt"));
    files.add(*withLog);
    auto logOnly = createOutputFile("d.txt");
    logOnly->setLogMessage({"Done.", Information});
    files.add(*logOnly);
    setRunMessage("Run failed.", Error);

    EXPECT_EQ(kHead +
                  "\t\t<Files>\n"
                  "\t\t\t<File Name=\"bare.txt\">\n"
                  "\t\t\t</File>\n"
                  "\t\t\t<File Name=\"a&amp;b.txt\">\n"
                  "\t\t\t\t<Origin>\n"
                  "\t\t\t\t\t<File Name=\"in/a.txt\" />\n"
                  "\t\t\t\t</Origin>\n"
                  "\t\t\t</File>\n"
                  "\t\t\t<File Name=\"c.txt\">\n"
                  "\t\t\t\t<Log Severity=\"Warning\">Prepended 3 bytes.</Log>\n"
                  "\t\t\t\t<Origin>\n"
                  "\t\t\t\t\t<File Name=\"in/c1.txt\" />\n"
                  "\t\t\t\t\t<File Name=\"in/c&quot;2&quot;.txt\" />\n"
                  "\t\t\t\t</Origin>\n"
                  "\t\t\t</File>\n"
                  "\t\t\t<File Name=\"d.txt\">\n"
                  "\t\t\t\t<Log Severity=\"Information\">Done.</Log>\n"
                  "\t\t\t</File>\n"
                  "\t\t</Files>\n"
                  "\t\t<Log Severity=\"Error\">Run failed.</Log>\n" +
                  kTail,
              serialize());
}

TEST_F(PipelinePluginSerializerTest, SeverityOutsideTheEnumerationIsWrittenAsInformation) {
    setRunMessage("odd", static_cast<Severity>(7));
    EXPECT_EQ(kHead + "\t\t<Log Severity=\"Information\">odd</Log>\n" + kTail, serialize());
}

// Keeps Xerces started while a parser lives (the start is counted, so this
// pairs with any other start in the process).
struct XercesSession {
    XercesSession() { xercesc::XMLPlatformUtils::Initialize(); }
    ~XercesSession() { xercesc::XMLPlatformUtils::Terminate(); }
};

// What a conforming parser reads back from the document.
class ParsedOutput {
public:
    explicit ParsedOutput(const std::string& document) {
        parser_.setErrorHandler(&errors_);
        xercesc::MemBufInputSource source(reinterpret_cast<const XMLByte*>(document.data()), document.size(),
                                          "output.xml");
        parser_.parse(source);
    }
    ParsedOutput(const ParsedOutput&) = delete;
    ParsedOutput& operator=(const ParsedOutput&) = delete;

    // Text content of each element of that tag name, keyed by its "Name"
    // attribute, or by its position when it has none.
    std::map<std::string, std::string> contentsByName(const char* tagName) {
        std::map<std::string, std::string> contents;
        xercesc::DOMDocument* document = parser_.getDocument();
        XMLCh* tag = xercesc::XMLString::transcode(tagName);
        XMLCh* nameAttribute = xercesc::XMLString::transcode("Name");
        xercesc::DOMNodeList* nodes = document->getElementsByTagName(tag);
        for (XMLSize_t index = 0; index < nodes->getLength(); ++index) {
            auto* element = static_cast<xercesc::DOMElement*>(nodes->item(index));
            std::string key = utf8(element->getAttribute(nameAttribute));
            if (key.empty()) {
                key = std::to_string(index);
            }
            contents[key] = utf8(element->getTextContent());
        }
        xercesc::XMLString::release(&nameAttribute);
        xercesc::XMLString::release(&tag);
        return contents;
    }

private:
    static std::string utf8(const XMLCh* text) {
        xercesc::TranscodeToStr converted(text, "UTF-8");
        return std::string(reinterpret_cast<const char*>(converted.str()), converted.length());
    }

    XercesSession session_;  // first: started before and ended after the parser
    // Fails the parse (with an exception) on the first error.
    xercesc::HandlerBase errors_;
    xercesc::XercesDOMParser parser_;
};

TEST_F(PipelinePluginSerializerTest, ParserReadsBackEveryCharacterTheObjectsHeld) {
    const std::string zoe = "Zo\xc3\xab";
    const std::string euro = "\xe2\x82\xac" "100";
    const std::string japan = "\xe6\x97\xa5\xe6\x9c\xac";
    const std::string mixed = "<![CDATA[" + japan + " & caf\xc3\xa9]]> \xf0\x9f\x98\x80 <";
    addElement(zoe, euro, DataType::String);
    addElement(japan, zoe, DataType::String);
    addElement("mixed", mixed, DataType::String);
    // Each text is a name (an attribute) and a value (element text) at once;
    // what the writer drops is gone, everything else comes back exactly.
    const struct {
        const char* held;
        const char* readBack;
    } texts[] = {
        {"a\r\nb", "a\r\nb"},
        {"cr\ronly", "cr\ronly"},
        {"lf\n\nonly", "lf\n\nonly"},
        {"tab\tand  blanks", "tab\tand  blanks"},
        {"x<![CDATA[y]]>z", "x<![CDATA[y]]>z"},
        {"<![CDATA[a]]\xEF\xBF\xBE>b<c]]>", "<![CDATA[a]]>b<c]]>"},
        {"]\r<}\r<![CDATA[\n\n\n\x01]]>", "]\r<}\r<![CDATA[\n\n\n]]>"},
    };
    std::map<std::string, std::string> expected = {
        {zoe, euro}, {japan, zoe}, {"mixed", mixed}};
    for (const auto& text : texts) {
        addElement(text.held, text.held, DataType::String);
        expected[text.readBack] = text.readBack;
    }
    output_.getOutputFiles().add(japan + ".txt", PipelineInputFileImpl("in/" + zoe + ".txt"));
    setRunMessage("Price " + euro + " for " + japan, Warning);

    const std::string document = serialize();
    // Characters up to U+00FF are single bytes in the declared encoding.
    EXPECT_NE(std::string::npos, document.find("Name=\"Zo\xeb\""));

    ParsedOutput parsed(document);
    EXPECT_EQ(expected, parsed.contentsByName("DataElement"));
    const auto files = parsed.contentsByName("File");
    EXPECT_EQ(1u, files.count(japan + ".txt"));
    EXPECT_EQ(1u, files.count("in/" + zoe + ".txt"));
    EXPECT_EQ((std::map<std::string, std::string>{{"0", "Price " + euro + " for " + japan}}),
              parsed.contentsByName("Log"));
}

}  // namespace
