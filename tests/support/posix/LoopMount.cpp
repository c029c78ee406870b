#include "tests/support/posix/LoopMount.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace testing_support {

namespace {

// Runs a shell command quietly; whether it succeeded.
bool succeeds(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

}  // namespace

LoopMount::LoopMount(const std::string& options) {
    const std::string image = "'" + image_.file("ext4.img") + "'";
    const std::string mountPoint = "'" + path() + "'";
    if (::geteuid() != 0) {
        refusal_ = "mounting a loop device needs root";
    } else if (::mkdir(path().c_str(), 0755) != 0 || !succeeds("truncate -s 16M " + image) ||
               !succeeds("mkfs.ext4 -q -F " + image)) {
        refusal_ = "no ext4 image can be made here (mkfs.ext4 missing?)";
    } else if (!succeeds("mount -o loop," + options + " " + image + " " + mountPoint)) {
        refusal_ = "no loop device can be mounted here (mount -o loop," + options + " refused)";
    } else {
        made_ = true;
    }
}

LoopMount::~LoopMount() {
    if (made_) {
        succeeds("umount '" + path() + "'");
    }
}

}  // namespace testing_support
