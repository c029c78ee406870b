// Found by fuzzing the input path: an XML 1.1 input may carry control
// characters as references; a data element value whose control character
// sat between "]]" and ">" came back as output with a CDATA section closed
// early and raw markup after it, an output document the host cannot read.
// (Values are no longer copied as sections; the text must still come back
// escaped.)
#include "plugin/PipelinePluginOutput.h"
#include "plugin/PipelinePluginParser.h"
#include "plugin/PipelinePluginSerializer.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace Vellamor::Plugin {
namespace {

TEST(InputOutputRoundTripTest, ControlCharacterFromTheInputCannotBreakTheOutput) {
    const testing_support::ScopedTempDir dir;
    testing_support::writeBytes(
        dir.file("input.xml"),
        "<?xml version=\"1.1\" encoding=\"UTF-8\"?>\n"
        "<VellamorPlugin SpecVersion=\"1.0\"><PipelinePluginInput SpecVersion=\"1.0\"><DataElements>"
        "<DataElement Name=\"C&#1;tl\">&lt;![CDATA[a]]&#2;&gt;&lt;b&gt;]]&gt;</DataElement>"
        "</DataElements></PipelinePluginInput></VellamorPlugin>");
    const ParsedInput parsed = PipelinePluginParserImpl().parse(dir.file("input.xml"));
    ASSERT_EQ("<![CDATA[a]]\x02><b>]]>", parsed.second->getDataElements().get("C\x01tl").getString());

    const std::string written = PipelinePluginSerializerImpl().serialize(PipelinePluginOutputImpl(), *parsed.second);
    EXPECT_NE(std::string::npos,
              written.find("\t\t\t<DataElement Name=\"Ctl\" Type=\"string\">&lt;![CDATA[a]]&gt;&lt;b&gt;]]&gt;"
                           "</DataElement>\n"))
        << written;
}

}  // namespace
}  // namespace Vellamor::Plugin
