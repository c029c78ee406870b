#ifndef VELLAMOR_PLUGIN_PIPELINEPLUGININPUT_H
#define VELLAMOR_PLUGIN_PIPELINEPLUGININPUT_H

#include "plugin/InputFiles.h"

namespace Vellamor::Plugin {

// What the host hands a plugin to work on: the input files of the step.
class PipelinePluginInput {
public:
    virtual ~PipelinePluginInput() = default;
    virtual InputFiles& getInputFiles() = 0;
    virtual const InputFiles& getInputFiles() const = 0;
};

class PipelinePluginInputImpl final : public PipelinePluginInput {
public:
    InputFiles& getInputFiles() override { return files_; }
    const InputFiles& getInputFiles() const override { return files_; }
    // Replaces the held files with copies of files, in their order.
    void setInputFiles(const InputFiles& files) { files_.assign(files); }

private:
    PipelineInputFilesImpl files_;
};

}  // namespace Vellamor::Plugin

#endif
