#ifndef HEMWRIGHT_TESTS_SUPPORT_POSIX_LOOPMOUNT_H
#define HEMWRIGHT_TESTS_SUPPORT_POSIX_LOOPMOUNT_H

#include "tests/support/TestFiles.h"

#include <string>

namespace testing_support {

// A small file system made in an image file (or an image given, such as a
// copy of another) and mounted through a loop device with the given mount
// options (such as "grpid") for the object's lifetime. Needs root, the
// file system's mkfs and a free loop device; when any is missing made() is
// false and refusal() says why, for a skip message.
class LoopMount {
public:
    // A new ext4 file system.
    explicit LoopMount(const std::string& options) : LoopMount("ext4", options) {}
    // A new file system of type (ext4, xfs), or, with image, the one in that
    // image file.
    LoopMount(const std::string& type, const std::string& options, const std::string& image = std::string());
    ~LoopMount();
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;

    bool made() const { return made_; }
    const std::string& refusal() const { return refusal_; }
    // The mount point.
    std::string path() const { return folder_.file("mounted"); }

    // Copies the image file, as the device holds it now, to copy: what a
    // power cut at this moment keeps. False when the copy fails.
    bool copyImage(const std::string& copy) const;

private:
    ScopedTempDir folder_;
    std::string image_;
    bool made_ = false;
    std::string refusal_;
};

}  // namespace testing_support

#endif
