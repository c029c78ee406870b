#ifndef HEMWRIGHT_TESTS_SUPPORT_TESTFILES_H
#define HEMWRIGHT_TESTS_SUPPORT_TESTFILES_H

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes out of scope.
class ScopedTempDir {
public:
    ScopedTempDir();
    // A fresh directory under parent instead (another file system, say).
    explicit ScopedTempDir(const std::string& parent);
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;

private:
    std::string path_;
};

// Limits the size of files this process writes, as a full disk would: a
// write past the limit fails with EFBIG, the signal it would raise being
// ignored meanwhile. Restores both on destruction.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    std::uint64_t previousLimit_ = 0;
    void (*previousHandler_)(int) = nullptr;
};

// Reads a whole file as bytes; fails the current test when it cannot.
std::string readBytes(const std::string& path);

// Writes bytes to a file, replacing it; fails the current test when it cannot.
void writeBytes(const std::string& path, const std::string& bytes);

// The names of the entries of a directory, sorted.
std::vector<std::string> listDirectory(const std::string& path);

}  // namespace testing_support

#endif
