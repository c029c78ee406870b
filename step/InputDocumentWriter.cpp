#include "step/InputDocumentWriter.h"

#include "step/XmlCharacters.h"
#include "util/ErrorResolver.h"

#include <fstream>
#include <stdexcept>

namespace {

std::string dataElement(const std::string& name, const std::string& type, const std::string& value) {
    return "      <DataElement Name=\"" + name + "\" Type=\"" + type + "\">" + escapeXmlCharacters(value) +
           "</DataElement>\n";
}

}  // namespace

std::string renderInputDocument(const StepOptions& options) {
    std::string elements;
    if (options.prepend) elements += dataElement("DataToPrepend", "string", *options.prepend);
    if (options.append) elements += dataElement("DataToAppend", "string", *options.append);
    if (options.lineBreakStyle) elements += dataElement("LineBreakStyle", "string", *options.lineBreakStyle);
    if (options.addLineBreak) elements += dataElement("AddLineBreak", "bool", "true");

    std::string document =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<VellamorPlugin SpecVersion=\"1.0\">\n"
        "  <PipelinePluginInput SpecVersion=\"1.0\">\n"
        "    <Operation Name=\"hemwright-step\"/>\n";
    if (!elements.empty()) {
        document += "    <DataElements>\n" + elements + "    </DataElements>\n";
    }
    document += "    <Files>\n";
    for (const StepFile& file : options.files) {
        document += "      <File Name=\"" + escapeXmlCharacters(file.path) + "\"/>\n";
    }
    document +=
        "    </Files>\n"
        "  </PipelinePluginInput>\n"
        "</VellamorPlugin>\n";
    return document;
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
