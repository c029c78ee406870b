#include "util/platform/windows/WriterProbe.h"

namespace ostrel::platform::windows {

namespace {

// The last byte below 2^63: no file reaches it, and offsets stay positive
// for systems that keep them signed.
constexpr DWORD kClaimOffsetLow = 0xFFFFFFFEu;
constexpr DWORD kClaimOffsetHigh = 0x7FFFFFFFu;

}  // namespace

bool claimForRewrite(HANDLE file) {
    OVERLAPPED position {};
    position.Offset = kClaimOffsetLow;
    position.OffsetHigh = kClaimOffsetHigh;
    return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &position) != FALSE;
}

OtherWriters probeWriters(const std::wstring& path) {
    const HANDLE probe = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return GetLastError() == ERROR_SHARING_VIOLATION ? OtherWriters::Present : OtherWriters::Unknown;
    }
    CloseHandle(probe);
    return OtherWriters::None;
}

}  // namespace ostrel::platform::windows
