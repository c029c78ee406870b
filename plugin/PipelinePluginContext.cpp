#include "plugin/PipelinePluginContext.h"

namespace Vellamor::Plugin {

namespace {
const char kSpecVersion[] = "1.0";
}

PipelinePluginContextImpl::PipelinePluginContextImpl() : dataElements_(createDataElements()) {}

std::string PipelinePluginContextImpl::getPluginSpecVersion() const { return kSpecVersion; }

std::string PipelinePluginContextImpl::getPipelinePluginSpecVersion() const { return kSpecVersion; }

void PipelinePluginContextImpl::setDataElements(const DataElements& elements) {
    dataElements_ = copyDataElements(elements);
}

void PipelinePluginContextImpl::setOperation(const Operation& operation) {
    operation_ = OperationImpl(operation.getName(), operation.getGuid(), operation.getId());
}

void PipelinePluginContextImpl::setServerInfo(const VellamorServerInfo& info) {
    serverInfo_ = VellamorServerInfoImpl(info.getVersion(), info.getHome());
}

void PipelinePluginContextImpl::setOperatingSystemInfo(const OperatingSystemInfo& info) {
    operatingSystemInfo_ = OperatingSystemInfoImpl(info.getName(), info.getVersion());
}

void PipelinePluginContextImpl::setPipelinePosition(const PipelinePosition& position) {
    pipelinePosition_ = PipelinePositionImpl(position.getPosition(), position.getRelative());
}

void PipelinePluginContextImpl::setPluginHome(const std::string& home) { pluginHome_ = home; }

}  // namespace Vellamor::Plugin
