#ifndef OSTREL_PLATFORM_DIRECTORYHANDLE_H
#define OSTREL_PLATFORM_DIRECTORYHANDLE_H

#include <cstddef>
#include <memory>
#include <string>

// A directory opened once, so that every later step on a name in it (open,
// create, rename, remove, look up) acts on that very directory, even when a
// directory on its path is renamed or swapped for a symbolic link meanwhile:
// a rewrite reads the file, writes its temporary file and renames it all in
// the one directory the file was found in. Part of the platform seam; every
// operation goes to fileSystem() (FileSystem.h).
//
// Functions that can fail return a result and leave the system's error code
// in platform::lastErrorCode(); they never throw. Not copyable; one thread.
namespace ostrel::platform {

// The platform's own record of an open directory.
struct DirectoryState;
struct DirectoryStateDeleter {
    void operator()(DirectoryState* state) const noexcept;
};

class DirectoryHandle {
public:
    DirectoryHandle();
    ~DirectoryHandle();
    DirectoryHandle(DirectoryHandle&& other) noexcept;
    DirectoryHandle& operator=(DirectoryHandle&& other) noexcept;
    DirectoryHandle(const DirectoryHandle&) = delete;
    DirectoryHandle& operator=(const DirectoryHandle&) = delete;

    // Opens the directory at path; the empty path is the working directory.
    // Symbolic links on the path are followed now, once.
    bool open(const std::string& path);

    bool isOpen() const { return state_ != nullptr; }

    // The path it was opened with, for messages: the empty text for the
    // working directory.
    const std::string& path() const { return path_; }

    // path() joined with name, for messages.
    std::string pathOf(const std::string& name) const;

    // The longest name (in bytes, without the terminating NUL) this
    // directory accepts; the largest size_t when the system sets none.
    bool queryNameLimit(std::size_t& nameBytes) const;

    // For the platform's implementation only.
    DirectoryState* state() const { return state_.get(); }
    void adopt(std::unique_ptr<DirectoryState, DirectoryStateDeleter> state, const std::string& path) {
        state_ = std::move(state);
        path_ = path;
    }

private:
    std::unique_ptr<DirectoryState, DirectoryStateDeleter> state_;
    std::string path_;
};

}  // namespace ostrel::platform

#endif
