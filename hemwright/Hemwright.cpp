#include "hemwright/Hemwright.h"

#include "hemwright/AddedText.h"
#include "hemwright/FileRewriter.h"
#include "hemwright/LineBreaks.h"
#include "plugin/PluginException.h"
#include "util/Strings.h"

using namespace Vellamor::Plugin;

namespace {

// The text of a parameter; the empty text when it is absent or null.
std::string parameterText(const DataElements& elements, const std::string& name) {
    if (!elements.contains(name)) {
        return std::string();
    }
    const DataElement& element = elements.get(name);
    return element.isNull() ? std::string() : element.getString();
}

}  // namespace

int Hemwright::process(PipelinePluginInput& input, PipelinePluginOutput& output, PipelinePluginContext& context) {
    const DataElements& parameters = context.getDataElements();
    const std::string prefix = parameterText(parameters, "DataToPrepend");
    const std::string suffix = parameterText(parameters, "DataToAppend");

    LineBreakStyle styleCode = LineBreakStyle::None;
    const std::string style = parameterText(parameters, "LineBreakStyle");
    if (!style.empty()) {
        styleCode = parseLineBreakStyle(style);
        if (styleCode == LineBreakStyle::None) {
            throw PipelinePluginException(std::string("Invalid input: $") + "LineBreakStyle" +
                                          ". Valid values are: windows, unix, linux or mac.");
        }
    }
    const std::string addLineBreak = parameterText(parameters, "AddLineBreak");
    const bool lineBreakAfterPrefix = ostrel::equalsIgnoreCase(addLineBreak, "true") || addLineBreak == "1";

    const std::optional<AddedText> added = addedText(prefix, suffix, styleCode, lineBreakAfterPrefix);
    if (!added) {
        output.setLogMessage(LogMessage{
            "Neither DataToPrepend nor DataToAppend were set. Hemwright will not modify file.", Warning});
        return 0;
    }

    std::vector<std::string> paths;
    for (const auto& file : input.getInputFiles()) {
        paths.push_back(file->getName());
    }
    rewriteAllWithAddedText(paths, added->prefix, added->suffix);
    return 0;
}
