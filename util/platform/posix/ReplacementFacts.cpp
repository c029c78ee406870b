#include "util/platform/posix/ReplacementFacts.h"

#include "util/platform/Platform.h"

#include <grp.h>
#include <linux/capability.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <vector>

namespace ostrel::platform {

namespace {

bool failed() {
    setLastErrorCode(static_cast<std::uint32_t>(errno));
    return false;
}

std::string parentOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Whether the capability is in this process's effective set.
bool hasCapability(int capability) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (::syscall(SYS_capget, &header, data) != 0) return ::geteuid() == 0;
    return (data[capability / 32].effective & (1u << (capability % 32))) != 0;
}

bool memberOf(gid_t group) {
    if (::getegid() == group) return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[static_cast<std::size_t>(i)] == group) return true;
    }
    return false;
}

std::string userName(uid_t user) {
    const passwd* entry = ::getpwuid(user);
    return entry != nullptr ? entry->pw_name : std::to_string(user);
}

std::string groupName(gid_t group) {
    const struct group* entry = ::getgrgid(group);
    return entry != nullptr ? entry->gr_name : std::to_string(group);
}

}  // namespace

bool queryFileSystemSpace(const std::string& directory, FileSystemSpace& space) {
    struct stat info {};
    struct statvfs room {};
    if (::stat(directory.c_str(), &info) != 0 || ::statvfs(directory.c_str(), &room) != 0) return failed();
    space.device = static_cast<std::uint64_t>(info.st_dev);
    // The blocks a file system keeps for the superuser are this process's
    // too when it may use them (CAP_SYS_RESOURCE).
    static const bool mayUseReserve = hasCapability(CAP_SYS_RESOURCE);
    space.availableBytes = static_cast<std::uint64_t>(mayUseReserve ? room.f_bfree : room.f_bavail) * room.f_frsize;
    space.blockBytes = room.f_frsize > 0 ? room.f_frsize : 1;
    // The mount point: the highest directory above on the same device.
    char* resolved = ::realpath(directory.c_str(), nullptr);
    if (resolved == nullptr) return failed();
    std::string mountPoint = resolved;
    std::free(resolved);
    while (mountPoint != "/") {
        const std::string parent = parentOf(mountPoint);
        struct stat above {};
        if (::stat(parent.c_str(), &above) != 0 || above.st_dev != info.st_dev) break;
        mountPoint = parent;
    }
    space.mountPoint = mountPoint;
    return true;
}

bool queryOwnerChange(const std::string& path, OwnerChange& change) {
    struct stat file {};
    struct stat directory {};
    if (::stat(path.c_str(), &file) != 0 || ::stat(parentOf(path).c_str(), &directory) != 0) return failed();
    change = OwnerChange();
    // Asked once: a process's privileges do not change while it checks.
    static const bool privileged = hasCapability(CAP_CHOWN);
    const uid_t owner = privileged ? file.st_uid : ::geteuid();
    const gid_t created = (directory.st_mode & S_ISGID) != 0 ? directory.st_gid : ::getegid();
    const gid_t group = privileged || created == file.st_gid || memberOf(file.st_gid) ? file.st_gid : created;
    change.ownerChanges = owner != file.st_uid;
    change.groupChanges = group != file.st_gid;
    // Names only where they are shown: a lookup may read the user database.
    if (change.ownerChanges || change.groupChanges) {
        change.ownerBefore = userName(file.st_uid);
        change.ownerAfter = userName(owner);
        change.groupBefore = groupName(file.st_gid);
        change.groupAfter = groupName(group);
    }
    return true;
}

}  // namespace ostrel::platform
