#ifndef OSTREL_PLATFORM_FILEIDENTITY_H
#define OSTREL_PLATFORM_FILEIDENTITY_H

#include <string>
#include <utility>

namespace ostrel::platform {

// The identity of a file: two are equal exactly when they name the same
// file (the same file reached through two names included). Opaque: the
// platform fills it in; the empty identity is no file's.
class FileIdentity {
public:
    FileIdentity() = default;
    // For the platform's implementation: bytes that name the file there.
    explicit FileIdentity(std::string key) : key_(std::move(key)) {}
    bool operator==(const FileIdentity& other) const { return key_ == other.key_; }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
    bool operator<(const FileIdentity& other) const { return key_ < other.key_; }
    bool empty() const { return key_.empty(); }

private:
    std::string key_;
};

}  // namespace ostrel::platform

#endif
