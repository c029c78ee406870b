#include "tests/support/posix/LoopMount.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace testing_support {

namespace {

// Runs a shell command quietly; whether it succeeded.
bool succeeds(const std::string& command) {
    return std::system(("{ " + command + "; } >/dev/null 2>&1").c_str()) == 0;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

}  // namespace

LoopMount::LoopMount(const std::string& type, const std::string& options, const std::string& image)
    : image_(image.empty() ? folder_.file(type + ".img") : image) {
    // XFS takes no file system smaller than 300 MiB; the image is sparse.
    const std::string size = type == "xfs" ? "320M" : "16M";
    const std::string force = type == "xfs" ? " -f " : " -F ";
    const std::string mountOptions = options.empty() ? "loop" : "loop," + options;
    if (::geteuid() != 0) {
        refusal_ = "mounting a loop device needs root";
    } else if (::mkdir(path().c_str(), 0755) != 0 ||
               (image.empty() && (!succeeds("truncate -s " + size + " " + quoted(image_)) ||
                                  !succeeds("mkfs." + type + " -q" + force + quoted(image_))))) {
        refusal_ = "no " + type + " image can be made here (mkfs." + type + " missing?)";
    } else if (!succeeds("mount -o " + mountOptions + " " + quoted(image_) + " " + quoted(path()))) {
        refusal_ = "no loop device can be mounted here (mount -o " + mountOptions + " refused)";
    } else {
        made_ = true;
    }
}

LoopMount::~LoopMount() {
    if (made_) {
        succeeds("umount " + quoted(path()));
    }
}

bool LoopMount::copyImage(const std::string& copy) const {
    return succeeds("cp --sparse=always " + quoted(image_) + " " + quoted(copy));
}

}  // namespace testing_support
