#include "tests/support/posix/FileAttributes.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sstream>

namespace testing_support {

namespace {

constexpr std::uint32_t kAclVersion = 2;
constexpr std::uint32_t kUndefinedId = 0xFFFFFFFFu;

void appendLittleEndian(std::string& bytes, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

std::string encodeAcl(const std::vector<AclEntry>& entries) {
    std::string bytes;
    appendLittleEndian(bytes, kAclVersion, 4);
    for (const AclEntry& entry : entries) {
        appendLittleEndian(bytes, entry.tag, 2);
        appendLittleEndian(bytes, entry.permissions, 2);
        const bool named = entry.tag == AclEntry::NamedUser || entry.tag == AclEntry::NamedGroup;
        appendLittleEndian(bytes, named ? entry.id : kUndefinedId, 4);
    }
    return bytes;
}

void setAttribute(const std::string& path, const std::string& name, const std::string& value) {
    EXPECT_EQ(0, ::setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0))
        << name << " on " << path << ": " << std::strerror(errno);
}

std::string attribute(const std::string& path, const std::string& name) {
    std::string value(65536, '\0');
    const ssize_t size = ::getxattr(path.c_str(), name.c_str(), value.data(), value.size());
    value.resize(size < 0 ? 0 : static_cast<std::size_t>(size));
    return value;
}

}  // namespace

std::vector<AclEntry> aclWithNamedUser(uid_t user, std::uint16_t userRights) {
    return {{AclEntry::User, 0, 6},
            {AclEntry::NamedUser, static_cast<std::uint32_t>(user), userRights},
            {AclEntry::Group, 0, 4},
            {AclEntry::Mask, 0, 6},
            {AclEntry::Other, 0, 0}};
}

void setAccessAcl(const std::string& path, const std::vector<AclEntry>& entries) {
    setAttribute(path, "system.posix_acl_access", encodeAcl(entries));
}

void setDefaultAcl(const std::string& directory, const std::vector<AclEntry>& entries) {
    setAttribute(directory, "system.posix_acl_default", encodeAcl(entries));
}

void setUserAttribute(const std::string& path, const std::string& name, const std::string& value) {
    setAttribute(path, "user." + name, value);
}

FileFacts factsOf(const std::string& path) {
    FileFacts facts;
    struct stat info {};
    EXPECT_EQ(0, ::lstat(path.c_str(), &info)) << path;
    facts.mode = info.st_mode & 07777;
    facts.owner = info.st_uid;
    facts.group = info.st_gid;
    facts.size = static_cast<std::uint64_t>(info.st_size);
    facts.allocatedBytes = static_cast<std::uint64_t>(info.st_blocks) * 512u;
    facts.accessAcl = attribute(path, "system.posix_acl_access");
    std::string names(65536, '\0');
    const ssize_t size = ::llistxattr(path.c_str(), names.data(), names.size());
    names.resize(size < 0 ? 0 : static_cast<std::size_t>(size));
    for (std::size_t start = 0; start < names.size(); start = names.find('\0', start) + 1) {
        const std::string name = names.c_str() + start;
        facts.attributes.emplace_back(name, attribute(path, name));
    }
    std::sort(facts.attributes.begin(), facts.attributes.end());
    return facts;
}

std::string FileFacts::describe() const {
    std::ostringstream text;
    text << "mode " << std::oct << mode << std::dec << ", owner " << owner << ":" << group << ", ACL of "
         << accessAcl.size() << " bytes, " << size << " bytes (" << allocatedBytes << " on disk), attributes:";
    for (const auto& attribute : attributes) {
        text << " " << attribute.first << "=" << attribute.second.size() << "B";
    }
    return text.str();
}

bool runningAsRoot() { return ::geteuid() == 0; }

const std::vector<AccessCase>& accessCases() {
    static const std::vector<AccessCase> cases = {
        {"mode, owner and group", true,
         [](const std::string&, const std::string& file) {
             EXPECT_EQ(0, ::chown(file.c_str(), 1234, 5678));
             EXPECT_EQ(0, ::chmod(file.c_str(), 02751));
         },
         {}},
        {"access ACL with a named user", false,
         [](const std::string&, const std::string& file) { setAccessAcl(file, aclWithNamedUser(4321, 4)); }, {}},
        {"no ACL under a default ACL", false,
         [](const std::string& directory, const std::string& file) {
             EXPECT_EQ(0, ::chmod(file.c_str(), 0600));
             setDefaultAcl(directory, aclWithNamedUser(4321, 6));
         },
         {}},
        {"user attributes", false,
         [](const std::string&, const std::string& file) {
             setUserAttribute(file, "origin", "host");
             setUserAttribute(file, "empty", "");
         },
         {}},
        {"trusted attributes and the security label", true,
         [](const std::string&, const std::string& file) {
             setAttribute(file, "trusted.origin", "host");
             // A label the security policy may refuse; where it does, the
             // file has none to keep.
             const std::string label = "system_u:object_r:user_tmp_t:s0";
             (void)::setxattr(file.c_str(), "security.selinux", label.c_str(), label.size() + 1, 0);
         },
         {}},
        {"file capability", true,
         [](const std::string&, const std::string& file) {
             // Revision 2, permitted: CAP_NET_BIND_SERVICE (bit 10).
             const std::string capability("\x00\x00\x00\x02\x00\x04\x00\x00\x00\x00\x00\x00"
                                          "\x00\x00\x00\x00\x00\x00\x00\x00",
                                          20);
             EXPECT_EQ(0, ::chmod(file.c_str(), 0755));
             setAttribute(file, "security.capability", capability);
         },
         {"security.capability"}},
    };
    return cases;
}

void forEachAccessCase(const std::function<void(const AccessCase&)>& check) {
    for (const AccessCase& c : accessCases()) {
        SCOPED_TRACE(c.name);
        if (!c.needsRoot || runningAsRoot()) {
            check(c);
        }
    }
}

void expectAccessKept(const FileFacts& before, const FileFacts& after, const std::vector<std::string>& notKept) {
    EXPECT_EQ(before.mode, after.mode) << std::oct << before.mode << " became " << after.mode;
    EXPECT_EQ(before.owner, after.owner);
    EXPECT_EQ(before.group, after.group);
    EXPECT_TRUE(before.accessAcl == after.accessAcl) << "the access ACL changed";
    std::vector<std::pair<std::string, std::string>> expected;
    for (const auto& attribute : before.attributes) {
        if (std::find(notKept.begin(), notKept.end(), attribute.first) == notKept.end()) {
            expected.push_back(attribute);
        }
    }
    EXPECT_TRUE(expected == after.attributes) << "before: " << before.describe() << "\nafter: " << after.describe();
}

namespace {

// Sets or clears the immutable flag; the system's reason when it cannot.
std::string changeImmutable(const std::string& path, bool immutable) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return std::strerror(errno);
    }
    int flags = 0;
    std::string failure;
    if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) {
        failure = std::strerror(errno);
    } else {
        flags = immutable ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) != 0) {
            failure = std::strerror(errno);
        }
    }
    ::close(fd);
    return failure;
}

}  // namespace

ImmutableFile::ImmutableFile(std::string path) : path_(std::move(path)) {
    refusal_ = changeImmutable(path_, true);
    made_ = refusal_.empty();
}

ImmutableFile::~ImmutableFile() {
    if (made_) {
        const std::string failure = changeImmutable(path_, false);
        EXPECT_EQ("", failure) << "could not make " << path_ << " changeable again";
    }
}

}  // namespace testing_support
