#include "plugin/PipelinePluginParser.h"

#include "plugin/PluginException.h"
#include "plugin/data/DataElementImpl.h"
#include "plugin/data/DataElements.h"
#include "plugin/data/DataType.h"
#include "util/CrException.h"
#include "util/Strings.h"
#include "util/Version.h"
#include "util/xml/DOMElementList.h"
#include "util/xml/DOMElementPtr.h"
#include "util/xml/XmlDocumentLoader.h"

#include <cstdint>
#include <limits>
#include <optional>

namespace Vellamor::Plugin {

namespace {

using ostrel::Version;
using ostrel::xml::DOMElementList;
using ostrel::xml::DOMElementPtr;
using ostrel::xml::DOMNodePtr;

// The one version of both document levels this reader understands.
Version documentVersion10() {
    return Version(1, 0, 0, 0, "");
}

bool isBlank(char character) {
    return character == ' ' || (character >= '\t' && character <= '\r');
}

// The host writes the operation number as decimal text; like strtol in the
// "C" locale, the longest numeric prefix counts, nothing numeric reads as 0,
// and values beyond 32 bits stop at the limit.
std::int32_t parseOperationId(const std::string& text) {
    std::size_t position = 0;
    while (position < text.size() && isBlank(text[position])) {
        ++position;
    }
    bool negative = false;
    if (position < text.size() && (text[position] == '+' || text[position] == '-')) {
        negative = text[position] == '-';
        ++position;
    }
    constexpr std::int64_t kLimit = static_cast<std::int64_t>(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t magnitude = 0;
    for (; position < text.size() && text[position] >= '0' && text[position] <= '9'; ++position) {
        if (magnitude <= kLimit) {
            magnitude = magnitude * 10 + (text[position] - '0');
        }
    }
    if (negative) {
        return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::min() : static_cast<std::int32_t>(-magnitude);
    }
    return magnitude >= kLimit ? std::numeric_limits<std::int32_t>::max() : static_cast<std::int32_t>(magnitude);
}

// The first child element of that name, or a null handle.
DOMElementPtr childElement(const DOMNodePtr& parent, const std::string& name) {
    return DOMElementList::childrenNamed(parent, name).at(0);
}

void readDataElements(const DOMElementPtr& parent, PipelinePluginContextImpl& context) {
    const DOMElementList elements = DOMElementList::childrenNamed(parent, "DataElement");
    if (elements.size() == 0) {
        return;
    }
    std::unique_ptr<DataElements> collection = createDataElements();
    for (std::size_t index = 0; index < elements.size(); ++index) {
        const DOMElementPtr element = elements.at(index);
        const std::string name = element.getAttribute("Name");
        if (name.empty()) {
            continue;
        }
        // The element keeps the host's texts, so that it goes back to the host
        // as sent unless the plugin sets it. The one null marker read is the
        // one output.xml writes (IsNull "true", in any letter case): a host
        // that passes an earlier step's elements on sends it; the element's
        // text is then not read.
        std::optional<std::string> type;
        if (element.hasAttribute("Type")) {
            type = element.getAttribute("Type");
        }
        std::optional<std::string> value;
        if (!ostrel::equalsIgnoreCase(element.getAttribute("IsNull"), "true")) {
            value = element.getText();
        }
        collection->add(*DataElementImpl::fromHost(name, type, std::move(value)));
    }
    context.setDataElements(*collection);
}

void readInputFiles(const DOMElementPtr& parent, PipelinePluginInputImpl& input) {
    const DOMElementList elements = DOMElementList::childrenNamed(parent, "File");
    if (elements.size() == 0) {
        return;
    }
    PipelineInputFilesImpl files;
    for (std::size_t index = 0; index < elements.size(); ++index) {
        files.add(PipelineInputFileImpl(elements.at(index).getAttribute("Name")));
    }
    input.setInputFiles(files);
}

ParsedInput readVersion10Input(const DOMElementPtr& root) {
    const DOMElementPtr pluginInput = childElement(root, "PipelinePluginInput");
    if (pluginInput.isNull()) {
        throw PipelinePluginException(
            "Invalid input XML for spec version 1.0. No \"PipelinePluginInput\" node was found.");
    }
    const Version inputVersion(pluginInput.getAttribute("SpecVersion"));
    if (inputVersion != documentVersion10()) {
        throw PipelinePluginException("Invalid input. Pipeline plugin input spec version \"" +
                                      inputVersion.toString() + "\" is not supported.");
    }

    auto input = std::make_unique<PipelinePluginInputImpl>();
    auto context = std::make_unique<PipelinePluginContextImpl>();

    const DOMElementPtr operatingSystem = childElement(pluginInput, "OperatingSystem");
    if (!operatingSystem.isNull()) {
        context->setOperatingSystemInfo(
            OperatingSystemInfoImpl(operatingSystem.getAttribute("Name"), operatingSystem.getAttribute("Version")));
    }
    const DOMElementPtr server = childElement(pluginInput, "VellamorServer");
    if (!server.isNull()) {
        context->setServerInfo(VellamorServerInfoImpl(server.getAttribute("Version"), server.getAttribute("Home")));
    }
    const DOMElementPtr operation = childElement(pluginInput, "Operation");
    if (!operation.isNull()) {
        context->setOperation(OperationImpl(operation.getAttribute("Name"), operation.getAttribute("Guid"),
                                            parseOperationId(operation.getAttribute("Id"))));
    }
    const DOMElementPtr pluginHome = childElement(pluginInput, "PluginHome");
    if (!pluginHome.isNull()) {
        context->setPluginHome(pluginHome.getText());
    }
    const DOMElementPtr position = childElement(pluginInput, "PipelinePosition");
    if (!position.isNull()) {
        context->setPipelinePosition(PipelinePositionImpl(position.getText(), position.getAttribute("Relative")));
    }
    const DOMElementPtr dataElements = childElement(pluginInput, "DataElements");
    if (!dataElements.isNull()) {
        readDataElements(dataElements, *context);
    }
    const DOMElementPtr files = childElement(pluginInput, "Files");
    if (!files.isNull()) {
        readInputFiles(files, *input);
    }
    return ParsedInput(std::move(input), std::move(context));
}

}  // namespace

ParsedInput PipelinePluginParserImpl::parse(const std::string& path) {
    std::string errorText;
    ostrel::xml::DOMDocumentPtr document;
    try {
        document = ostrel::xml::loadXmlDocument(path, errorText, false);
    } catch (const ostrel::CrException& failure) {
        // The XML libraries did not start: a cause the message names, not an
        // unexpected error.
        throw PipelinePluginException(failure.getMessage());
    }
    if (document.isNull()) {
        throw PipelinePluginException(errorText);
    }
    const DOMElementPtr root = childElement(document, "VellamorPlugin");
    if (root.isNull()) {
        throw PipelinePluginException("Invalid input XML. Failed to find the node \"VellamorPlugin\"");
    }
    const Version version(root.getAttribute("SpecVersion"));
    if (version != documentVersion10()) {
        throw PipelinePluginException("The vellamor plugin spec version \"" + version.toString() +
                                      "\" is not supported.");
    }
    return readVersion10Input(root);
}

}  // namespace Vellamor::Plugin
