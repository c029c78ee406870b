#include "util/platform/windows/FileSecurity.h"

#include <memory>
#include <vector>

namespace ostrel::platform::windows {

namespace {

constexpr DWORD kCarriedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                     FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_TEMPORARY;

constexpr SECURITY_INFORMATION kOwnerGroupDacl =
    OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

// Errors of a volume without security descriptors.
bool keepsNoSecurity(DWORD error) { return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION; }

// Built once; never freed, as it may be used until the process ends.
struct PrivateSecurity {
    std::vector<unsigned char> user;  // the process user's SID
    std::vector<unsigned char> acl;
    SECURITY_DESCRIPTOR descriptor {};
    SECURITY_ATTRIBUTES attributes {};
    bool ready = false;
};

bool readProcessUser(std::vector<unsigned char>& sid) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return false;
    }
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    std::vector<unsigned char> buffer(size);
    const bool read = size > 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
    CloseHandle(token);
    if (!read) {
        return false;
    }
    const PSID user = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    sid.resize(GetLengthSid(user));
    return CopySid(static_cast<DWORD>(sid.size()), sid.data(), user) != FALSE;
}

bool build(PrivateSecurity& security) {
    if (!readProcessUser(security.user)) {
        return false;
    }
    const PSID user = security.user.data();
    const DWORD aclSize = sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD) + GetLengthSid(user);
    security.acl.resize(aclSize);
    PACL acl = reinterpret_cast<PACL>(security.acl.data());
    return InitializeAcl(acl, aclSize, ACL_REVISION) && AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, user) &&
           InitializeSecurityDescriptor(&security.descriptor, SECURITY_DESCRIPTOR_REVISION) &&
           SetSecurityDescriptorDacl(&security.descriptor, TRUE, acl, FALSE) &&
           SetSecurityDescriptorControl(&security.descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED);
}

}  // namespace

bool readAccess(HANDLE file, DWORD attributes, FileAccessData& data) {
    data = FileAccessData();
    data.attributes = attributes;
    // Asked with the size the last answer named: the descriptor can grow
    // between two calls.
    DWORD needed = 0;
    for (;;) {
        data.securityDescriptor.resize(needed);
        if (GetKernelObjectSecurity(file, kOwnerGroupDacl, needed > 0 ? data.securityDescriptor.data() : nullptr,
                                    needed, &needed)) {
            return true;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            data.securityDescriptor.clear();
            return keepsNoSecurity(GetLastError());
        }
    }
}

bool applySecurity(HANDLE file, const FileAccessData& data) {
    if (data.securityDescriptor.empty()) {
        return true;
    }
    const PSECURITY_DESCRIPTOR descriptor =
        const_cast<PSECURITY_DESCRIPTOR>(static_cast<const void*>(data.securityDescriptor.data()));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(descriptor, &control, &revision)) {
        return false;
    }
    // The protection from inheritance is set explicitly: a private file's
    // DACL is protected, the original's may not be.
    const SECURITY_INFORMATION protection =
        (control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION;
    // Owner and group first with everything; without the right to assign
    // them (ERROR_INVALID_OWNER, ERROR_INVALID_PRIMARY_GROUP), the group
    // alone, then the DACL alone.
    const SECURITY_INFORMATION attempts[] = {
        kOwnerGroupDacl | protection,
        GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | protection,
        DACL_SECURITY_INFORMATION | protection,
    };
    for (const SECURITY_INFORMATION information : attempts) {
        if (SetKernelObjectSecurity(file, information, descriptor)) {
            return true;
        }
        const DWORD error = GetLastError();
        if (keepsNoSecurity(error)) {
            return true;
        }
        if (error != ERROR_INVALID_OWNER && error != ERROR_INVALID_PRIMARY_GROUP) {
            return false;
        }
    }
    return false;
}

DWORD carriedAttributes(const FileAccessData& data) { return data.attributes & kCarriedAttributes; }

bool setAttributes(HANDLE file, DWORD attributes) {
    FILE_BASIC_INFO information {};  // zero times: left as they are
    information.FileAttributes = attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &information, sizeof information) != FALSE;
}

SECURITY_ATTRIBUTES* privateFileSecurity() {
    static PrivateSecurity* const security = [] {
        auto* made = new PrivateSecurity;
        made->ready = build(*made);
        made->attributes.nLength = sizeof made->attributes;
        made->attributes.lpSecurityDescriptor = &made->descriptor;
        made->attributes.bInheritHandle = FALSE;
        return made;
    }();
    return security->ready ? &security->attributes : nullptr;
}

}  // namespace ostrel::platform::windows
