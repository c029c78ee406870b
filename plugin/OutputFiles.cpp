#include "plugin/OutputFiles.h"

namespace Vellamor::Plugin {

void OutputFilesImpl::add(const std::string& name, const InputFile& origin) {
    auto file = std::make_unique<OutputFileImpl>(name);
    file->addInputFile(origin);
    files_.push_back(std::move(file));
}

void OutputFilesImpl::add(const std::string& name) { files_.push_back(std::make_unique<OutputFileImpl>(name)); }

void OutputFilesImpl::add(const OutputFile& file) {
    auto copy = std::make_unique<OutputFileImpl>(file.getName());
    copy->setLogMessage(file.getLogMessage());
    for (const auto& input : file.getInputFiles()) {
        copy->addInputFile(*input);
    }
    files_.push_back(std::move(copy));
}

std::unique_ptr<OutputFiles> createOutputFiles() { return std::make_unique<OutputFilesImpl>(); }

std::unique_ptr<OutputFile> createOutputFile(const std::string& name) {
    return std::make_unique<OutputFileImpl>(name);
}

}  // namespace Vellamor::Plugin
