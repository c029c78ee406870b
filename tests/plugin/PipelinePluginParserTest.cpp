#include "plugin/PipelinePluginParser.h"

#include "plugin/PluginException.h"
#include "tests/support/TestFiles.h"
#include "util/CrException.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace Vellamor::Plugin {
namespace {

using testing_support::ScopedTempDir;
using testing_support::writeBytes;

// An input document with the given content inside "PipelinePluginInput".
std::string inputDocument(const std::string& content, const std::string& rootVersion = "1.0",
                          const std::string& inputVersion = "1.0") {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<VellamorPlugin SpecVersion=\"" + rootVersion +
           "\">\n<PipelinePluginInput SpecVersion=\"" + inputVersion + "\">\n" + content +
           "\n</PipelinePluginInput>\n</VellamorPlugin>\n";
}

class PipelinePluginParserTest : public ::testing::Test {
protected:
    ParsedInput parse(const std::string& document) {
        writeBytes(path(), document);
        return PipelinePluginParserImpl().parse(path());
    }

    // The message of whatever parsing document throws.
    std::string failure(const std::string& document) {
        try {
            parse(document);
        } catch (const PluginException& exception) {
            return exception.getMessage();
        } catch (const ostrel::CrException& exception) {
            return "CrException: " + exception.getMessage();
        }
        return "no exception";
    }

    std::int32_t operationId(const std::string& attributes) {
        return parse(inputDocument("<Operation " + attributes + "/>")).second->getOperation().getId();
    }

    std::string path() const { return dir_.file("input.xml"); }

    ScopedTempDir dir_;
};

TEST_F(PipelinePluginParserTest, ReadsEverySection) {
    const ParsedInput parsed = parse(inputDocument(
        "<OperatingSystem Name=\"Linux\" Version=\"6.1\"/>\n"
        "<VellamorServer Version=\"9.2\" Home=\"/opt/host\"/>\n"
        "<Operation Name=\"Nightly\" Guid=\"{AB-12}\" Id=\"42\"/>\n"
        "<PluginHome>/opt/plugins/hemwright</PluginHome>\n"
        "<PipelinePosition Relative=\"last\">3</PipelinePosition>\n"
        "<DataElements><DataElement Name=\"DataToPrepend\" Type=\"string\">head\xC3\xA9</DataElement></DataElements>\n"
        "<Files><File Name=\"/data/a.txt\"/><File Name=\"/data/b.txt\"/></Files>"));
    ASSERT_TRUE(parsed.first && parsed.second);
    const PipelinePluginContext& context = *parsed.second;
    EXPECT_EQ("Linux", context.getOperatingSystemInfo().getName());
    EXPECT_EQ("6.1", context.getOperatingSystemInfo().getVersion());
    EXPECT_EQ("9.2", context.getServerInfo().getVersion());
    EXPECT_EQ("/opt/host", context.getServerInfo().getHome());
    EXPECT_EQ("Nightly", context.getOperation().getName());
    EXPECT_EQ("{AB-12}", context.getOperation().getGuid());
    EXPECT_EQ(42, context.getOperation().getId());
    EXPECT_EQ("/opt/plugins/hemwright", context.getPluginHome());
    EXPECT_EQ("3", context.getPipelinePosition().getPosition());
    EXPECT_EQ("last", context.getPipelinePosition().getRelative());
    ASSERT_EQ(1u, context.getDataElements().size());
    EXPECT_EQ("head\xC3\xA9", context.getDataElements().get("DataToPrepend").getString());

    std::vector<std::string> names;
    for (const auto& file : parsed.first->getInputFiles()) {
        names.push_back(file->getName());
    }
    EXPECT_EQ((std::vector<std::string>{"/data/a.txt", "/data/b.txt"}), names);
}

TEST_F(PipelinePluginParserTest, OptionalSectionsMayBeAbsent) {
    const ParsedInput parsed = parse(inputDocument(""));
    const PipelinePluginContext& context = *parsed.second;
    EXPECT_EQ("", context.getOperatingSystemInfo().getName());
    EXPECT_EQ("", context.getServerInfo().getHome());
    EXPECT_EQ(-1, context.getOperation().getId());
    EXPECT_EQ("", context.getPluginHome());
    EXPECT_EQ("", context.getPipelinePosition().getPosition());
    EXPECT_EQ(0u, context.getDataElements().size());
    EXPECT_EQ(0u, parsed.first->getInputFiles().size());
    // Empty sections leave the same state; a file without a name is kept.
    const ParsedInput empty = parse(inputDocument("<DataElements/><Files><File/></Files>"));
    EXPECT_EQ(0u, empty.second->getDataElements().size());
    ASSERT_EQ(1u, empty.first->getInputFiles().size());
    EXPECT_EQ("", (*empty.first->getInputFiles().begin())->getName());
}

TEST_F(PipelinePluginParserTest, DocumentMustBeAVellamorPluginDocument) {
    try {
        PipelinePluginParserImpl().parse(path());
        ADD_FAILURE() << "no exception";
    } catch (const PipelinePluginException& exception) {
        EXPECT_EQ("The input file \"" + path() + "\" does not exist.", exception.getMessage());
    }
    EXPECT_EQ("Invalid input XML. Failed to find the node \"VellamorPlugin\"",
              failure("<Plugin SpecVersion=\"1.0\"/>"));
    EXPECT_EQ("Invalid input XML. Failed to find the node \"VellamorPlugin\"",
              failure("<VellamorPlugin xmlns=\"urn:host\" SpecVersion=\"1.0\"/>"));
    EXPECT_EQ("Invalid input XML for spec version 1.0. No \"PipelinePluginInput\" node was found.",
              failure("<VellamorPlugin SpecVersion=\"1.0\"><pipelinePluginInput SpecVersion=\"1.0\"/></VellamorPlugin>"));
    EXPECT_EQ("Fatal SAX error: expected end of tag 'VellamorPlugin'\n\nXML file: " +
                  testing_support::forwardSlashed(path()),
              failure("<VellamorPlugin SpecVersion=\"1.0\"></Plugin>"));
}

TEST_F(PipelinePluginParserTest, BothSpecVersionsMustBe10) {
    for (const std::string version : {"1", "1.0", "1.0.0.0"}) {
        EXPECT_NO_THROW(parse(inputDocument("", version, version))) << version;
    }
    EXPECT_EQ("The vellamor plugin spec version \"2.0.0.0\" is not supported.",
              failure(inputDocument("", "2.0", "1.0")));
    EXPECT_EQ("Invalid input. Pipeline plugin input spec version \"2.0.0.0\" is not supported.",
              failure(inputDocument("", "1.0", "2.0")));
    EXPECT_EQ(0u, failure("<VellamorPlugin/>").find("CrException: "));
}

TEST_F(PipelinePluginParserTest, DataElementsFollowTheirNamesAndTypes) {
    const ParsedInput parsed = parse(inputDocument(
        "<DataElements>"
        "<DataElement Name=\"Same\">first</DataElement>"
        "<DataElement Name=\"Same\">second</DataElement>"
        "<DataElement Name=\"same\">lower</DataElement>"
        "<DataElement Type=\"string\">no name</DataElement>"
        "<DataElement Name=\"\">empty name</DataElement>"
        "<DataElement Name=\"Flag\" Type=\"BOOL\">true</DataElement>"
        "<DataElement Name=\"Count\" Type=\"int\"></DataElement>"
        "<DataElement Name=\"Raw\"><![CDATA[hidden]]></DataElement>"
        // Another namespace's element of that name is another element.
        "<DataElement xmlns=\"urn:x\" Name=\"Other\">x</DataElement>"
        "</DataElements>"));
    const DataElements& elements = parsed.second->getDataElements();
    EXPECT_EQ(5u, elements.size());
    EXPECT_EQ("second", elements.get("Same").getString());
    EXPECT_EQ(DataType::String, elements.get("Same").getType());
    EXPECT_EQ("lower", elements.get("same").getString());
    EXPECT_EQ(DataType::Bool, elements.get("Flag").getType());
    EXPECT_EQ("true", elements.get("Flag").getString());
    EXPECT_EQ(DataType::Int, elements.get("Count").getType());
    EXPECT_EQ(0.0, elements.get("Count").getDouble());
    EXPECT_EQ("hidden", elements.get("Raw").getString());

    EXPECT_EQ("Could not convert '' to a date. Invalid ISO 8601 format: It has less than 19 characters.",
              failure(inputDocument("<DataElements><DataElement Name=\"When\" Type=\"date\"/></DataElements>")));
}

// IsNull "true" in any letter case, the marker output.xml writes, makes the
// element null whatever it holds; any other text leaves it as ever.
TEST_F(PipelinePluginParserTest, IsNullTrueMarksAnElementNull) {
    const struct {
        const char* attributes;
        const char* content;
        const char* read;  // nullptr: null
    } cases[] = {
        {"Type=\"date\" IsNull=\"true\"", "", nullptr},
        {"Type=\"date\" IsNull=\"TRUE\"", "not a date", nullptr},
        {"IsNull=\"True\"", "text", nullptr},
        {"Type=\"int\" IsNull=\"false\"", "5", "5"},
        {"IsNull=\"\"", "text", "text"},
        {"IsNull=\"yes\"", "text", "text"},
        {"IsNull=\" true\"", "text", "text"},
    };
    for (const auto& c : cases) {
        const std::string sent = std::string("<DataElement Name=\"E\" ") + c.attributes + ">" + c.content + "</DataElement>";
        const ParsedInput parsed = parse(inputDocument("<DataElements>" + sent + "</DataElements>"));
        const DataElement& element = parsed.second->getDataElements().get("E");
        EXPECT_EQ(c.read == nullptr, element.isNull()) << c.attributes;
        if (c.read != nullptr) {
            EXPECT_EQ(c.read, element.getString()) << c.attributes;
        }
    }
}

TEST_F(PipelinePluginParserTest, ElementTextsAreReadWhole) {
    const ParsedInput parsed = parse(inputDocument(
        "<PluginHome><![CDATA[/opt/a&b]]></PluginHome>"
        "<PipelinePosition>1<!-- of -->2<![CDATA[3]]></PipelinePosition>"
        "<DataElements><DataElement Name=\"Prefix\">A<![CDATA[<B>]]>C</DataElement>"
        "<DataElement Name=\"Flag\" Type=\"bool\"><![CDATA[false]]></DataElement></DataElements>"));
    const PipelinePluginContext& context = *parsed.second;
    EXPECT_EQ("/opt/a&b", context.getPluginHome());
    EXPECT_EQ("123", context.getPipelinePosition().getPosition());
    EXPECT_EQ("A<B>C", context.getDataElements().get("Prefix").getString());
    EXPECT_EQ("false", context.getDataElements().get("Flag").getString());
}

TEST_F(PipelinePluginParserTest, OperationIdIsTheLeadingDecimalNumber) {
    EXPECT_EQ(12, operationId("Id=\"12abc\""));
    EXPECT_EQ(0, operationId(""));
    EXPECT_EQ(0, operationId("Id=\"abc\""));
    EXPECT_EQ(-7, operationId("Id=\" \t-7\""));
    EXPECT_EQ(5, operationId("Id=\"+5\""));
    EXPECT_EQ(std::numeric_limits<std::int32_t>::max(), operationId("Id=\"99999999999999999999\""));
    EXPECT_EQ(std::numeric_limits<std::int32_t>::max(), operationId("Id=\"2147483648\""));
    EXPECT_EQ(std::numeric_limits<std::int32_t>::max(), operationId("Id=\"2147483647\""));
    EXPECT_EQ(std::numeric_limits<std::int32_t>::min(), operationId("Id=\"-2147483649\""));
    EXPECT_EQ(std::numeric_limits<std::int32_t>::min(), operationId("Id=\"-2147483648\""));
}

TEST_F(PipelinePluginParserTest, ExternalEntitiesNeverReachTheDataElements) {
    writeBytes(dir_.file("secret.txt"), "top secret");
    const std::string secretUrl = "file://" + dir_.file("secret.txt");
    const std::string message = failure(
        "<!DOCTYPE VellamorPlugin [ <!ENTITY x SYSTEM \"" + secretUrl + "\"> ]>\n" +
        inputDocument("<DataElements><DataElement Name=\"Leak\">&x;</DataElement></DataElements>")
            .substr(std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n").size()));
    EXPECT_EQ("Fatal SAX error: unable to open external entity '" + secretUrl + "'\n\nXML file: " +
                  testing_support::forwardSlashed(path()),
              message);
}

}  // namespace
}  // namespace Vellamor::Plugin
