#ifndef HEMWRIGHT_TESTS_SUPPORT_POSIX_FILEATTRIBUTES_H
#define HEMWRIGHT_TESTS_SUPPORT_POSIX_FILEATTRIBUTES_H

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// What a file holds besides its bytes, read and set through the system's own
// extended attributes, so that tests need no ACL tools.
namespace testing_support {

// One entry of a POSIX ACL: a tag (the user, a named user, the group, a
// named group, the mask, others), an id for the named ones, rwx bits.
struct AclEntry {
    enum Tag : std::uint16_t { User = 0x01, NamedUser = 0x02, Group = 0x04, NamedGroup = 0x08, Mask = 0x10, Other = 0x20 };
    Tag tag;
    std::uint32_t id;  // for NamedUser and NamedGroup
    std::uint16_t permissions;
};

// An ACL that gives the named user the given rights besides the usual
// owner/group/other bits (the entries must come in this order).
std::vector<AclEntry> aclWithNamedUser(uid_t user, std::uint16_t userRights);

// Sets the access ACL of a file (system.posix_acl_access) or the default ACL
// of a directory (system.posix_acl_default); fails the test when it cannot.
void setAccessAcl(const std::string& path, const std::vector<AclEntry>& entries);
void setDefaultAcl(const std::string& directory, const std::vector<AclEntry>& entries);

// Sets a user extended attribute ("user." + name); fails the test when it
// cannot.
void setUserAttribute(const std::string& path, const std::string& name, const std::string& value);

// Everything about a file that a replacement keeps, to compare before and
// after.
struct FileFacts {
    mode_t mode = 0;  // permission, set-id and sticky bits
    uid_t owner = 0;
    gid_t group = 0;
    std::string accessAcl;  // raw; empty when none
    std::vector<std::pair<std::string, std::string>> attributes;  // every readable one, sorted
    std::uint64_t size = 0;
    std::uint64_t allocatedBytes = 0;

    // A printable summary for failure messages.
    std::string describe() const;
};

FileFacts factsOf(const std::string& path);

// One way a file can hold more than its bytes, set up on a file (and, for a
// default ACL, on its directory). Every replacement of a file must keep it,
// except for the attributes named in notKept, which must be gone.
struct AccessCase {
    std::string name;
    bool needsRoot;  // giving files away and file capabilities need root
    void (*setUp)(const std::string& directory, const std::string& file);
    std::vector<std::string> notKept;
};

// The cases: permission bits with owner and group; an access ACL with a
// named user; a file without ACL in a directory whose default ACL would give
// new files one; user attributes; trusted attributes and the security label
// (root only); a file capability, which is not kept.
const std::vector<AccessCase>& accessCases();

// Runs check once per case (traced with its name), skipping the cases that
// need root when the tests do not run as root.
void forEachAccessCase(const std::function<void(const AccessCase&)>& check);

// Adds a test failure for every way after differs from before, but for the
// size, the allocation and the attributes named in notKept (which after must
// not have).
void expectAccessKept(const FileFacts& before, const FileFacts& after, const std::vector<std::string>& notKept);

// Whether this process runs as root (tests that change owners need it).
bool runningAsRoot();

// Makes a file immutable (chattr +i: no process may change, replace or
// remove it) for the object's lifetime. The file system or the process may
// refuse; made() then is false and refusal() says why, for a skip message.
class ImmutableFile {
public:
    explicit ImmutableFile(std::string path);
    ~ImmutableFile();
    ImmutableFile(const ImmutableFile&) = delete;
    ImmutableFile& operator=(const ImmutableFile&) = delete;

    bool made() const { return made_; }
    const std::string& refusal() const { return refusal_; }

private:
    std::string path_;
    bool made_ = false;
    std::string refusal_;
};

}  // namespace testing_support

#endif
