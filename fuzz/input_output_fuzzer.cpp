// The whole input path: the bytes as input.xml in a private working
// directory, read by the input reader, written back by the output writer.
// The written document must be well formed and carry the same data elements
// (names, types, values) and the same log text, read back exactly as the
// objects hold them.
#include "plugin/PipelinePluginOutput.h"
#include "plugin/PipelinePluginParser.h"
#include "plugin/PipelinePluginSerializer.h"
#include "plugin/PluginException.h"
#include "plugin/data/DataType.h"
#include "plugin/data/Date.h"
#include "support/FuzzCheck.h"
#include "support/XmlReadBack.h"
#include "util/CrException.h"
#include "util/xml/XmlPlatform.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace Vellamor::Plugin;

// A fresh directory per process, reused for every input; it holds only
// input.xml (and the short-lived temporary file of a byte-order mark
// removal).
const std::string& inputPath() {
    static const std::string path = [] {
        const char* parent = std::getenv("TMPDIR");
        std::string pattern = std::string(parent != nullptr && *parent != '\0' ? parent : "/tmp") +
                              "/hemwright-fuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            fuzz::failProperty("cannot create a private working directory under " + pattern);
        }
        return pattern + "/input.xml";
    }();
    return path;
}

void writeInput(const std::uint8_t* data, std::size_t size) {
    std::ofstream out(inputPath(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) {
        fuzz::failProperty("cannot write " + inputPath());
    }
}

// The run's message: the last bytes of the input, as many as its first byte
// says (up to 64), so that markup, quotes and stray bytes reach the writer.
LogMessage logMessageFrom(const std::uint8_t* data, std::size_t size) {
    LogMessage message;
    if (size == 0) {
        return message;
    }
    const std::size_t count = std::min<std::size_t>(data[0] % 65, size);
    message.message.assign(reinterpret_cast<const char*>(data) + size - count, count);
    // The writer takes texts up to their first NUL.
    message.message = message.message.c_str();
    message.severity = static_cast<Severity>(data[0] % 3);
    return message;
}

void checkDataElements(const xercesc::DOMElement& output, const DataElements& elements, const std::string& written) {
    const std::vector<xercesc::DOMElement*> lists = fuzz::childElements(output, "DataElements");
    if (lists.size() != (elements.size() > 0 ? 1u : 0u)) {
        fuzz::failProperty("expected " + std::to_string(elements.size()) + " data elements in " +
                           fuzz::quoteBytes(written));
    }
    if (elements.size() == 0) {
        return;
    }
    const std::vector<xercesc::DOMElement*> readBack = fuzz::childElements(*lists[0], "DataElement");
    if (readBack.size() != elements.size()) {
        fuzz::failProperty("expected " + std::to_string(elements.size()) + " data elements, read back " +
                           std::to_string(readBack.size()) + " from " + fuzz::quoteBytes(written));
    }
    std::size_t index = 0;
    for (const auto& [name, element] : elements) {
        const xercesc::DOMElement& line = *readBack[index++];
        fuzz::expectEqualBytes("data element name", fuzz::expectedReadBack(name),
                               fuzz::attributeText(line, "Name"));
        fuzz::expectEqualBytes("type of " + fuzz::quoteBytes(name), dataTypeName(element->getType()),
                               fuzz::attributeText(line, "Type"));
        if (element->isNull() != fuzz::hasAttribute(line, "IsNull")) {
            fuzz::failProperty("null marker of " + fuzz::quoteBytes(name));
        }
        const std::string value = element->isNull() ? std::string() : element->getString();
        const std::string readBack = fuzz::elementText(line);
        fuzz::expectEqualBytes("value of " + fuzz::quoteBytes(name), fuzz::expectedReadBack(value), readBack);
        if (element->getType() == DataType::Date && !element->isNull()) {
            // The host may send the date back: its text reads as the same date.
            fuzz::expectEqualBytes("date " + fuzz::quoteBytes(name) + " read again", value,
                                   parseDate(readBack)->toString());
        }
    }
}

void checkLog(const xercesc::DOMElement& output, const LogMessage& message, const std::string& written) {
    const std::vector<xercesc::DOMElement*> logs = fuzz::childElements(output, "Log");
    if (logs.size() != (message.message.empty() ? 0u : 1u)) {
        fuzz::failProperty("expected " + std::string(message.message.empty() ? "no" : "one") + " Log element in " +
                           fuzz::quoteBytes(written));
    }
    if (!logs.empty() && fuzz::isWritableUtf8(message.message)) {
        fuzz::expectEqualBytes("log text", fuzz::expectedReadBack(message.message), fuzz::elementText(*logs[0]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool started = (ostrel::xml::initializeXmlPlatform(), true);
    (void)started;
    writeInput(data, size);
    ParsedInput parsed;
    try {
        parsed = PipelinePluginParserImpl().parse(inputPath());
    } catch (const PluginException&) {
        return 0;
    } catch (const ostrel::CrException&) {
        return 0;
    }
    if (parsed.first == nullptr || parsed.second == nullptr) {
        fuzz::failProperty("the reader returned without both objects");
    }
    PipelinePluginOutputImpl output;
    output.setLogMessage(logMessageFrom(data, size));
    const std::string written = PipelinePluginSerializerImpl().serialize(output, *parsed.second);

    const fuzz::ParsedBytes document(written);
    const std::vector<xercesc::DOMElement*> outputs = fuzz::childElements(document.root(), "PipelinePluginOutput");
    if (outputs.size() != 1) {
        fuzz::failProperty("no PipelinePluginOutput element in " + fuzz::quoteBytes(written));
    }
    checkDataElements(*outputs[0], parsed.second->getDataElements(), written);
    checkLog(*outputs[0], output.getLogMessage(), written);
    return 0;
}
