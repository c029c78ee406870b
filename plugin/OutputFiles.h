#ifndef VELLAMOR_PLUGIN_OUTPUTFILES_H
#define VELLAMOR_PLUGIN_OUTPUTFILES_H

#include "plugin/InputFiles.h"
#include "plugin/LogMessage.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace Vellamor::Plugin {

// A file a plugin reports back to the host, with the input files it was made
// from and a message of its own. A new output file has no input files and an
// empty Information message.
class OutputFile {
public:
    virtual ~OutputFile() = default;
    virtual std::string getName() const = 0;
    virtual InputFiles& getInputFiles() = 0;
    virtual const InputFiles& getInputFiles() const = 0;
    // Appends a copy (same name) of file to this file's input files.
    virtual void addInputFile(const InputFile& file) = 0;
    virtual LogMessage getLogMessage() const = 0;
    virtual void setLogMessage(const LogMessage& message) = 0;
};

class OutputFileImpl final : public OutputFile {
public:
    explicit OutputFileImpl(std::string name) : name_(std::move(name)) {}
    std::string getName() const override { return name_; }
    InputFiles& getInputFiles() override { return inputFiles_; }
    const InputFiles& getInputFiles() const override { return inputFiles_; }
    void addInputFile(const InputFile& file) override { inputFiles_.add(file); }
    LogMessage getLogMessage() const override { return logMessage_; }
    void setLogMessage(const LogMessage& message) override { logMessage_ = message; }

private:
    std::string name_;
    InputFilesImpl inputFiles_;
    LogMessage logMessage_;
};

// The output files of a run, in order of insertion.
class OutputFiles {
public:
    using Sequence = std::vector<std::unique_ptr<OutputFile>>;
    using iterator = Sequence::iterator;
    using const_iterator = Sequence::const_iterator;

    virtual ~OutputFiles() = default;
    virtual const_iterator begin() const = 0;
    virtual iterator begin() = 0;
    virtual const_iterator end() const = 0;
    virtual iterator end() = 0;
    virtual std::size_t size() const = 0;
    // Destroys every held output file.
    virtual void clear() = 0;
    // Appends a new output file whose input files hold one copy of origin.
    virtual void add(const std::string& name, const InputFile& origin) = 0;
    // Appends a new output file without input files.
    virtual void add(const std::string& name) = 0;
    // Appends a copy of file: name, message and copies of its input files.
    virtual void add(const OutputFile& file) = 0;
};

class OutputFilesImpl final : public OutputFiles {
public:
    const_iterator begin() const override { return files_.begin(); }
    iterator begin() override { return files_.begin(); }
    const_iterator end() const override { return files_.end(); }
    iterator end() override { return files_.end(); }
    std::size_t size() const override { return files_.size(); }
    void clear() override { files_.clear(); }
    void add(const std::string& name, const InputFile& origin) override;
    void add(const std::string& name) override;
    void add(const OutputFile& file) override;

private:
    Sequence files_;
};

// A new, empty output file collection owned by the caller.
std::unique_ptr<OutputFiles> createOutputFiles();

// A new output file of that name owned by the caller.
std::unique_ptr<OutputFile> createOutputFile(const std::string& name);

}  // namespace Vellamor::Plugin

#endif
