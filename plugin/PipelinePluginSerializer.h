#ifndef VELLAMOR_PLUGIN_PIPELINEPLUGINSERIALIZER_H
#define VELLAMOR_PLUGIN_PIPELINEPLUGINSERIALIZER_H

#include "plugin/PipelinePluginContext.h"
#include "plugin/PipelinePluginOutput.h"

#include <string>

namespace Vellamor::Plugin {

// Renders the output document the host reads after a run.
class PipelinePluginSerializer {
public:
    virtual ~PipelinePluginSerializer() = default;
    // The complete text of the output document for output and context.
    virtual std::string serialize(const PipelinePluginOutput& output,
                                  const PipelinePluginContext& context) = 0;
};

class PipelinePluginSerializerImpl final : public PipelinePluginSerializer {
public:
    std::string serialize(const PipelinePluginOutput& output, const PipelinePluginContext& context) override;
};

}  // namespace Vellamor::Plugin

#endif
