#include "step/InputDocumentWriter.h"

#include "util/ErrorResolver.h"
#include "util/xml/XmlWriter.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace xml = ostrel::xml;

namespace {

void writeDataElement(std::ostream& out, const std::string& name, const std::string& type, const std::string& value) {
    xml::XmlAttributeList attributes;
    attributes["Name"] = name;
    attributes["Type"] = type;
    xml::writeTextElement(out, 3, "DataElement", value, attributes);
}

}  // namespace

std::string renderInputDocument(const StepOptions& options) {
    // The writer's escaping makes the bytes of an ISO-8859-1 document, and
    // the parser reads every character back as it was given.
    std::ostringstream out;
    xml::writeXmlDeclaration(out, "ISO-8859-1");
    xml::XmlAttributeList version;
    version["SpecVersion"] = "1.0";
    xml::writeStartTag(out, 0, "VellamorPlugin", version);
    {
        const xml::EndTagWriter pluginEnd(out, 0, "VellamorPlugin");
        xml::writeStartTag(out, 1, "PipelinePluginInput", version);
        const xml::EndTagWriter inputEnd(out, 1, "PipelinePluginInput");
        xml::XmlAttributeList operation;
        operation["Name"] = "hemwright-step";
        xml::writeEmptyElement(out, 2, "Operation", operation);
        if (options.prepend || options.append || options.lineBreakStyle || options.addLineBreak) {
            xml::writeStartTag(out, 2, "DataElements");
            const xml::EndTagWriter elementsEnd(out, 2, "DataElements");
            if (options.prepend) writeDataElement(out, "DataToPrepend", "string", *options.prepend);
            if (options.append) writeDataElement(out, "DataToAppend", "string", *options.append);
            if (options.lineBreakStyle) writeDataElement(out, "LineBreakStyle", "string", *options.lineBreakStyle);
            if (options.addLineBreak) writeDataElement(out, "AddLineBreak", "bool", "true");
        }
        xml::writeStartTag(out, 2, "Files");
        const xml::EndTagWriter filesEnd(out, 2, "Files");
        for (const StepFile& file : options.files) {
            xml::XmlAttributeList name;
            name["Name"] = file.path;
            xml::writeEmptyElement(out, 3, "File", name);
        }
    }
    return out.str();
}

void writeInputDocument(const StepOptions& options, const std::string& directory) {
    const std::string path = directory + "/input.xml";
    const std::string document = renderInputDocument(options);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw std::runtime_error("cannot create '" + path + "': " + lastSystemErrorText() + ".");
    }
    out.write(document.data(), static_cast<std::streamsize>(document.size()));
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write '" + path + "'.");
    }
}
