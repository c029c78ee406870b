#ifndef VELLAMOR_PLUGIN_PIPELINEPLUGIN_H
#define VELLAMOR_PLUGIN_PIPELINEPLUGIN_H

#include "plugin/PipelinePluginContext.h"
#include "plugin/PipelinePluginInput.h"
#include "plugin/PipelinePluginOutput.h"

namespace Vellamor::Plugin {

// The root of every plugin of the host.
class VellamorPlugin {
public:
    virtual ~VellamorPlugin() = default;
};

// A plugin that runs as one step of a pipeline. A concrete plugin implements
// process; run carries one call of the host through its three phases.
class PipelinePlugin : public VellamorPlugin {
public:
    // Works on the input files. All three objects are borrowed for the call.
    // Returns 0 on success; any other value becomes the exit code. Failures
    // are thrown, preferably as PipelinePluginException.
    virtual int process(PipelinePluginInput& input, PipelinePluginOutput& output,
                        PipelinePluginContext& context) = 0;

    // Reads "input.xml" from the working directory, calls process and writes
    // "output.xml"; returns the exit code the host expects.
    int run();
};

}  // namespace Vellamor::Plugin

#endif
