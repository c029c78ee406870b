#include "tests/support/InputDocument.h"

namespace testing_support {

std::string dataElementXml(const std::string& name, const std::string& type, const std::string& value) {
    return "   <DataElement Name=\"" + name + "\" Type=\"" + type + "\">" + value + "</DataElement>\n";
}

std::string inputDocument(const std::string& dataElements, const std::vector<std::string>& paths,
                          const std::string& extraInput, const std::string& prolog) {
    std::string files;
    for (const std::string& path : paths) {
        files += "   <File Name=\"" + path + "\"/>\n";
    }
    return prolog +
           "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<VellamorPlugin SpecVersion=\"1.0\">\n"
           " <PipelinePluginInput SpecVersion=\"1.0\">\n" +
           extraInput +
           "  <DataElements>\n" +
           dataElements +
           "  </DataElements>\n"
           "  <Files>\n" +
           files +
           "  </Files>\n"
           " </PipelinePluginInput>\n"
           "</VellamorPlugin>\n";
}

std::string repeated(const std::string& piece, std::size_t count) {
    std::string text;
    text.reserve(piece.size() * count);
    for (std::size_t index = 0; index < count; ++index) {
        text += piece;
    }
    return text;
}

}  // namespace testing_support
