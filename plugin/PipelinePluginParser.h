#ifndef VELLAMOR_PLUGIN_PIPELINEPLUGINPARSER_H
#define VELLAMOR_PLUGIN_PIPELINEPLUGINPARSER_H

#include "plugin/PipelinePluginContext.h"
#include "plugin/PipelinePluginInput.h"

#include <memory>
#include <string>
#include <utility>

namespace Vellamor::Plugin {

// The objects read from an input document: the input files and the context.
using ParsedInput = std::pair<std::unique_ptr<PipelinePluginInput>, std::unique_ptr<PipelinePluginContext>>;

// Reads the host's input document.
class PipelinePluginParser {
public:
    virtual ~PipelinePluginParser() = default;
    // Reads the document at path into new objects owned by the caller.
    // Throws on every failure (PipelinePluginException for a missing,
    // unreadable or malformed document and for XML libraries that do not
    // start, CrException for a missing or bad version text, PluginException
    // for a value its type cannot take, std::bad_alloc when memory runs
    // out).
    virtual ParsedInput parse(const std::string& path) = 0;
};

class PipelinePluginParserImpl final : public PipelinePluginParser {
public:
    ParsedInput parse(const std::string& path) override;
};

}  // namespace Vellamor::Plugin

#endif
