#ifndef VELLAMOR_PLUGIN_PIPELINEPLUGINCONTEXT_H
#define VELLAMOR_PLUGIN_PIPELINEPLUGINCONTEXT_H

#include "plugin/HostDescription.h"
#include "plugin/data/DataElements.h"

#include <memory>
#include <string>

namespace Vellamor::Plugin {

// The description of the call: the host's server, operating system and
// operation, the plugin's place in the pipeline and home directory, and the
// data elements, which a plugin may change to hand values back to the host.
class PipelinePluginContext {
public:
    virtual ~PipelinePluginContext() = default;
    // The version of the documents' root element: always "1.0".
    virtual std::string getPluginSpecVersion() const = 0;
    // The version of the pipeline plugin input and output elements: "1.0".
    virtual std::string getPipelinePluginSpecVersion() const = 0;
    virtual DataElements& getDataElements() = 0;
    virtual const DataElements& getDataElements() const = 0;
    virtual const Operation& getOperation() const = 0;
    virtual const VellamorServerInfo& getServerInfo() const = 0;
    virtual const OperatingSystemInfo& getOperatingSystemInfo() const = 0;
    virtual const PipelinePosition& getPipelinePosition() const = 0;
    virtual std::string getPluginHome() const = 0;
};

// A new context holds empty texts, operation id -1 and no data elements;
// the run driver writes such a context when the input could not be read.
// Setters store copies of what they are given.
class PipelinePluginContextImpl final : public PipelinePluginContext {
public:
    PipelinePluginContextImpl();

    std::string getPluginSpecVersion() const override;
    std::string getPipelinePluginSpecVersion() const override;
    DataElements& getDataElements() override { return *dataElements_; }
    const DataElements& getDataElements() const override { return *dataElements_; }
    const Operation& getOperation() const override { return operation_; }
    const VellamorServerInfo& getServerInfo() const override { return serverInfo_; }
    const OperatingSystemInfo& getOperatingSystemInfo() const override { return operatingSystemInfo_; }
    const PipelinePosition& getPipelinePosition() const override { return pipelinePosition_; }
    std::string getPluginHome() const override { return pluginHome_; }

    // Replaces the held collection with copies of every element of elements;
    // a failing copy propagates and leaves the held collection as it was.
    void setDataElements(const DataElements& elements);
    void setOperation(const Operation& operation);
    void setServerInfo(const VellamorServerInfo& info);
    void setOperatingSystemInfo(const OperatingSystemInfo& info);
    void setPipelinePosition(const PipelinePosition& position);
    void setPluginHome(const std::string& home);

private:
    VellamorServerInfoImpl serverInfo_;
    OperatingSystemInfoImpl operatingSystemInfo_;
    OperationImpl operation_;
    PipelinePositionImpl pipelinePosition_;
    std::unique_ptr<DataElements> dataElements_;
    std::string pluginHome_;
};

}  // namespace Vellamor::Plugin

#endif
