#ifndef VELLAMOR_PLUGIN_PIPELINEPLUGINOUTPUT_H
#define VELLAMOR_PLUGIN_PIPELINEPLUGINOUTPUT_H

#include "plugin/LogMessage.h"
#include "plugin/OutputFiles.h"

#include <memory>

namespace Vellamor::Plugin {

// What a plugin reports back: output files and the run's one message. Values
// for the host go into the context's data elements, not here.
class PipelinePluginOutput {
public:
    virtual ~PipelinePluginOutput() = default;
    virtual bool hasOutputFiles() const = 0;
    virtual OutputFiles& getOutputFiles() = 0;
    virtual const OutputFiles& getOutputFiles() const = 0;
    virtual LogMessage getLogMessage() const = 0;
    virtual void setLogMessage(const LogMessage& message) = 0;
};

class PipelinePluginOutputImpl final : public PipelinePluginOutput {
public:
    PipelinePluginOutputImpl() : files_(std::make_unique<OutputFilesImpl>()) {}
    bool hasOutputFiles() const override { return files_->size() > 0; }
    OutputFiles& getOutputFiles() override { return *files_; }
    const OutputFiles& getOutputFiles() const override { return *files_; }
    LogMessage getLogMessage() const override { return logMessage_; }
    void setLogMessage(const LogMessage& message) override { logMessage_ = message; }

private:
    std::unique_ptr<OutputFilesImpl> files_;
    LogMessage logMessage_;
};

}  // namespace Vellamor::Plugin

#endif
