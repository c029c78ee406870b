#ifndef VELLAMOR_PLUGIN_INPUTFILES_H
#define VELLAMOR_PLUGIN_INPUTFILES_H

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace Vellamor::Plugin {

// A file handed to a plugin, named by its path as the host gave it.
class InputFile {
public:
    virtual ~InputFile() = default;
    virtual std::string getName() const = 0;
};

// The name-holding part shared by the two kinds of input file.
class NamedInputFile : public InputFile {
public:
    std::string getName() const override { return name_; }

protected:
    explicit NamedInputFile(std::string name) : name_(std::move(name)) {}

private:
    std::string name_;
};

// An input file listed in an output file's origin.
class InputFileImpl final : public NamedInputFile {
public:
    explicit InputFileImpl(std::string name) : NamedInputFile(std::move(name)) {}
};

// An input file of the run's input object.
class PipelineInputFileImpl final : public NamedInputFile {
public:
    explicit PipelineInputFileImpl(std::string name) : NamedInputFile(std::move(name)) {}
};

// An ordered sequence of input files, in order of insertion; duplicates are
// allowed. There is no lookup and no removal of a single file: callers
// iterate.
class InputFiles {
public:
    using Sequence = std::vector<std::unique_ptr<InputFile>>;
    using iterator = Sequence::iterator;
    using const_iterator = Sequence::const_iterator;

    virtual ~InputFiles() = default;
    virtual const_iterator begin() const = 0;
    virtual iterator begin() = 0;
    virtual const_iterator end() const = 0;
    virtual iterator end() = 0;
    virtual std::size_t size() const = 0;
};

// Behaviour shared by the two collections; FileType is the kind of file the
// collection makes when it copies one in.
template <typename FileType>
class InputFileSequence : public InputFiles {
public:
    const_iterator begin() const override { return files_.begin(); }
    iterator begin() override { return files_.begin(); }
    const_iterator end() const override { return files_.end(); }
    iterator end() override { return files_.end(); }
    std::size_t size() const override { return files_.size(); }

    // Appends a new file of this collection's own kind with file's name.
    void add(const InputFile& file) { files_.push_back(std::make_unique<FileType>(file.getName())); }

    // Replaces the content with copies of every file of source, in order.
    void assign(const InputFiles& source) {
        Sequence copies;
        copies.reserve(source.size());
        for (const auto& file : source) {
            copies.push_back(std::make_unique<FileType>(file->getName()));
        }
        files_ = std::move(copies);
    }

private:
    Sequence files_;
};

// The origin list of an output file.
class InputFilesImpl final : public InputFileSequence<InputFileImpl> {};

// The input files of the run's input object.
class PipelineInputFilesImpl final : public InputFileSequence<PipelineInputFileImpl> {};

}  // namespace Vellamor::Plugin

#endif
