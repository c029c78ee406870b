// The whole input path: the bytes as input.xml in a private working
// directory, read by the input reader, written back by the output writer.
// The written document must be well formed and carry the same data elements
// and the same log text, read back exactly: every data element with the Type
// and value texts the host sent (as the XML parser delivered them), whatever
// its type, and a value text that reads again as the same typed value.
#include "plugin/PipelinePluginOutput.h"
#include "plugin/PipelinePluginParser.h"
#include "plugin/PipelinePluginSerializer.h"
#include "plugin/PluginException.h"
#include "plugin/data/DataElements.h"
#include "plugin/data/DataType.h"
#include "support/FuzzCheck.h"
#include "support/XmlReadBack.h"
#include "util/CrException.h"
#include "util/xml/DOMElementList.h"
#include "util/xml/DOMElementPtr.h"
#include "util/xml/XmlDocumentLoader.h"
#include "util/xml/XmlPlatform.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
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

struct SentTexts {
    std::string type;
    std::string value;
};

// The Type and value texts of every data element as the host sent them, by
// name (the last element of a name wins, one without a name is skipped), read
// from input.xml through the program's XML layer, that is, as the parser
// delivers them.
std::map<std::string, SentTexts> sentDataElements() {
    std::string errorText;
    const ostrel::xml::DOMDocumentPtr document = ostrel::xml::loadXmlDocument(inputPath(), errorText, false);
    if (document.isNull()) {
        fuzz::failProperty("input.xml read once does not read again: " + errorText);
    }
    const ostrel::xml::DOMElementPtr lists =
        document.selectSingleNode("VellamorPlugin/PipelinePluginInput[1]/DataElements[1]");
    std::map<std::string, SentTexts> sent;
    const ostrel::xml::DOMElementList elements(lists.selectNodeList("DataElement"));
    for (std::size_t index = 0; index < elements.size(); ++index) {
        const std::string name = elements.at(index).getAttribute("Name");
        if (!name.empty()) {
            sent[name] = {elements.at(index).getAttribute("Type"), elements.at(index).getText()};
        }
    }
    return sent;
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
    const std::map<std::string, SentTexts> sent = sentDataElements();
    if (sent.size() != elements.size()) {
        fuzz::failProperty("the host sent " + std::to_string(sent.size()) + " data elements, the run holds " +
                           std::to_string(elements.size()));
    }
    std::size_t index = 0;
    for (const auto& [name, element] : elements) {
        const xercesc::DOMElement& line = *readBack[index++];
        fuzz::expectEqualBytes("data element name", fuzz::expectedReadBack(name),
                               fuzz::attributeText(line, "Name"));
        const auto found = sent.find(name);
        if (found == sent.end() || element->isNull() || fuzz::hasAttribute(line, "IsNull")) {
            fuzz::failProperty("data element " + fuzz::quoteBytes(name) + " is not the one the host sent");
        }
        // A missing or empty Type names string and goes back as that name.
        const std::string sentType = found->second.type.empty() ? "string" : found->second.type;
        fuzz::expectEqualBytes("Type of " + fuzz::quoteBytes(name), fuzz::expectedReadBack(sentType),
                               fuzz::attributeText(line, "Type"));
        const std::string& sentValue = found->second.value;
        const std::string value = fuzz::elementText(line);
        fuzz::expectEqualBytes("value of " + fuzz::quoteBytes(name), fuzz::expectedReadBack(sentValue), value);
        if (value == sentValue) {
            // The host may send the text back: it reads as the same value.
            fuzz::expectEqualBytes("value of " + fuzz::quoteBytes(name) + " read again", element->getString(),
                                   createDataElement(name, value, element->getType())->getString());
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
