#ifndef HEMWRIGHT_TESTS_SUPPORT_POSIX_LOOPMOUNT_H
#define HEMWRIGHT_TESTS_SUPPORT_POSIX_LOOPMOUNT_H

#include "tests/support/TestFiles.h"

#include <string>

namespace testing_support {

// A small ext4 file system made in an image file and mounted through a loop
// device with the given mount options (such as "grpid") for the object's
// lifetime. Needs root, mkfs.ext4 and a free loop device; when any is
// missing made() is false and refusal() says why, for a skip message.
class LoopMount {
public:
    explicit LoopMount(const std::string& options);
    ~LoopMount();
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;

    bool made() const { return made_; }
    const std::string& refusal() const { return refusal_; }
    // The mount point.
    std::string path() const { return image_.file("mounted"); }

private:
    ScopedTempDir image_;
    bool made_ = false;
    std::string refusal_;
};

}  // namespace testing_support

#endif
