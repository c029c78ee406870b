#include "plugin/PipelinePluginSerializer.h"

#include "plugin/data/DataElementImpl.h"
#include "util/xml/XmlAttributeList.h"
#include "util/xml/XmlWriter.h"

#include <array>
#include <cstdint>
#include <sstream>

namespace Vellamor::Plugin {

namespace {

using ostrel::xml::EndTagWriter;
using ostrel::xml::XmlAttributeList;

// The encoding the host is told; the writer produces bytes to match it.
constexpr char kDocumentEncoding[] = "ISO-8859-1";

// Indexed by the Severity code.
constexpr std::array<const char*, 3> kSeverityNames = {"Information", "Warning", "Error"};

// The host knows only the three names. A code outside the enumeration can
// only come from a cast; like the runtime's logger, it is reported as
// information rather than read past the table.
const char* severityName(Severity severity) {
    const auto code = static_cast<std::int32_t>(severity);
    if (code < 0 || code >= static_cast<std::int32_t>(kSeverityNames.size())) {
        return kSeverityNames[Information];
    }
    return kSeverityNames[static_cast<std::size_t>(code)];
}

// One "Log" line, or nothing when the message is empty.
void writeLogMessage(std::ostream& out, int level, const LogMessage& message) {
    if (message.message.empty()) {
        return;
    }
    XmlAttributeList attributes;
    attributes["Severity"] = severityName(message.severity);
    ostrel::xml::writeTextElement(out, level, "Log", message.message, attributes);
}

void writeDataElements(std::ostream& out, const DataElements& elements) {
    if (elements.size() == 0) {
        return;
    }
    ostrel::xml::writeStartTag(out, 2, "DataElements");
    EndTagWriter end(out, 2, "DataElements");
    for (const auto& [name, element] : elements) {
        XmlAttributeList attributes;
        attributes["Name"] = element->getName();
        // The host's own texts for what the plugin left alone: what goes back
        // is what was sent, whatever the typed value makes of it.
        attributes["Type"] = hostTypeText(*element);
        if (element->isNull()) {
            // Reading a null value would throw; the host expects empty content.
            attributes["IsNull"] = "true";
            ostrel::xml::writeTextElement(out, 3, "DataElement", std::string(), attributes);
        } else {
            ostrel::xml::writeTextElement(out, 3, "DataElement", hostValueText(*element), attributes);
        }
    }
}

void writeOrigin(std::ostream& out, const InputFiles& origin) {
    if (origin.size() == 0) {
        return;
    }
    ostrel::xml::writeStartTag(out, 4, "Origin");
    EndTagWriter end(out, 4, "Origin");
    for (const auto& inputFile : origin) {
        XmlAttributeList attributes;
        attributes["Name"] = inputFile->getName();
        ostrel::xml::writeEmptyElement(out, 5, "File", attributes);
    }
}

void writeOutputFiles(std::ostream& out, const PipelinePluginOutput& output) {
    if (!output.hasOutputFiles()) {
        return;
    }
    ostrel::xml::writeStartTag(out, 2, "Files");
    EndTagWriter endFiles(out, 2, "Files");
    for (const auto& file : output.getOutputFiles()) {
        XmlAttributeList attributes;
        attributes["Name"] = file->getName();
        ostrel::xml::writeStartTag(out, 3, "File", attributes);
        EndTagWriter endFile(out, 3, "File");
        writeLogMessage(out, 4, file->getLogMessage());
        writeOrigin(out, file->getInputFiles());
    }
}

}  // namespace

std::string PipelinePluginSerializerImpl::serialize(const PipelinePluginOutput& output,
                                                    const PipelinePluginContext& context) {
    std::ostringstream out;
    ostrel::xml::writeXmlDeclaration(out, kDocumentEncoding);
    {
        XmlAttributeList attributes;
        attributes["SpecVersion"] = context.getPluginSpecVersion();
        ostrel::xml::writeStartTag(out, 0, "VellamorPlugin", attributes);
        EndTagWriter endPlugin(out, 0, "VellamorPlugin");

        attributes.clear();
        attributes["SpecVersion"] = context.getPipelinePluginSpecVersion();
        ostrel::xml::writeStartTag(out, 1, "PipelinePluginOutput", attributes);
        EndTagWriter endOutput(out, 1, "PipelinePluginOutput");

        writeDataElements(out, context.getDataElements());
        writeOutputFiles(out, output);
        writeLogMessage(out, 2, output.getLogMessage());
    }
    return out.str();
}

}  // namespace Vellamor::Plugin
