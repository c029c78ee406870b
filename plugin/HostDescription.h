#ifndef VELLAMOR_PLUGIN_HOSTDESCRIPTION_H
#define VELLAMOR_PLUGIN_HOSTDESCRIPTION_H

#include <cstdint>
#include <string>
#include <utility>

// The small records through which the host describes itself: its server, its
// operating system, the running operation and the plugin's place in the
// pipeline. Getters return copies.
namespace Vellamor::Plugin {

class VellamorServerInfo {
public:
    virtual ~VellamorServerInfo() = default;
    virtual std::string getVersion() const = 0;
    virtual std::string getHome() const = 0;
};

class VellamorServerInfoImpl final : public VellamorServerInfo {
public:
    VellamorServerInfoImpl() = default;
    VellamorServerInfoImpl(std::string version, std::string home)
        : version_(std::move(version)), home_(std::move(home)) {}
    std::string getVersion() const override { return version_; }
    std::string getHome() const override { return home_; }

private:
    std::string version_;
    std::string home_;
};

class OperatingSystemInfo {
public:
    virtual ~OperatingSystemInfo() = default;
    virtual std::string getName() const = 0;
    virtual std::string getVersion() const = 0;
};

class OperatingSystemInfoImpl final : public OperatingSystemInfo {
public:
    OperatingSystemInfoImpl() = default;
    OperatingSystemInfoImpl(std::string name, std::string version)
        : name_(std::move(name)), version_(std::move(version)) {}
    std::string getName() const override { return name_; }
    std::string getVersion() const override { return version_; }

private:
    std::string name_;
    std::string version_;
};

class Operation {
public:
    virtual ~Operation() = default;
    virtual std::string getName() const = 0;
    virtual std::string getGuid() const = 0;
    virtual std::int32_t getId() const = 0;
};

class OperationImpl final : public Operation {
public:
    // A context the reader never filled answers -1 for the id.
    OperationImpl() = default;
    OperationImpl(std::string name, std::string guid, std::int32_t id)
        : id_(id), name_(std::move(name)), guid_(std::move(guid)) {}
    std::string getName() const override { return name_; }
    std::string getGuid() const override { return guid_; }
    std::int32_t getId() const override { return id_; }

private:
    std::int32_t id_ = -1;
    std::string name_;
    std::string guid_;
};

class PipelinePosition {
public:
    virtual ~PipelinePosition() = default;
    virtual std::string getPosition() const = 0;
    virtual std::string getRelative() const = 0;
};

class PipelinePositionImpl final : public PipelinePosition {
public:
    PipelinePositionImpl() = default;
    PipelinePositionImpl(std::string position, std::string relative)
        : position_(std::move(position)), relative_(std::move(relative)) {}
    std::string getPosition() const override { return position_; }
    std::string getRelative() const override { return relative_; }

private:
    std::string position_;
    std::string relative_;
};

}  // namespace Vellamor::Plugin

#endif
