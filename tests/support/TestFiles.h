#ifndef HEMWRIGHT_TESTS_SUPPORT_TESTFILES_H
#define HEMWRIGHT_TESTS_SUPPORT_TESTFILES_H

#include <string>
#include <vector>

namespace testing_support {

// Paths are UTF-8 texts joined with '/', which every platform here accepts
// as a separator (Windows accepts '\\' as well, and its temporary directory
// comes with them).

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

// Reads a whole file as bytes; fails the current test when it cannot.
std::string readBytes(const std::string& path);

// Writes bytes to a file, replacing it; fails the current test when it cannot.
void writeBytes(const std::string& path, const std::string& bytes);

// The names of the entries of a directory, sorted.
std::vector<std::string> listDirectory(const std::string& path);

// path with each character that separates path components here written as
// '/', as the XML layer's messages name a document: unchanged on POSIX
// systems, where a backslash is part of a name.
std::string forwardSlashed(const std::string& path);

}  // namespace testing_support

#endif
