// Windows implementation of the platform seam's plain functions: error codes
// and their texts, separators, GUIDs and local time. (Posted COM error
// objects: PostedErrorInfoWindows.cpp.)
#include "util/platform/Platform.h"

#include "util/platform/windows/WindowsApi.h"

#include <objbase.h>

#include <cstdio>
#include <ctime>

namespace ostrel::platform {

namespace {

// The system's language choice for message texts (LANG_USER_DEFAULT's
// neutral form): the user's language, then the system's, then English.
constexpr DWORD kDefaultLanguage = 0x400;

// A message text the system allocated, freed with LocalFree.
bool takeMessage(DWORD length, char* buffer, std::string& text) {
    if (length == 0 || buffer == nullptr) {
        return false;
    }
    text.assign(buffer, length);
    LocalFree(buffer);
    return true;
}

}  // namespace

std::uint32_t lastErrorCode() { return GetLastError(); }

void setLastErrorCode(std::uint32_t code) { SetLastError(code); }

bool systemErrorText(std::uint32_t code, std::string& text) {
    // No insert arguments and no FORMAT_MESSAGE_IGNORE_INSERTS: a text that
    // wants inserts fails the lookup (ERROR_INVALID_PARAMETER) rather than
    // show "%1".
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code,
                                        kDefaultLanguage, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    return takeMessage(length, buffer, text);
}

bool moduleErrorText(const std::string& module, std::uint32_t code, std::string& text) {
    // Loaded as data, only from the system's folder: no code of the module
    // runs, and a library of that name in the working directory (which the
    // host prepares) is never taken for it.
    const HMODULE library =
        LoadLibraryExA(module.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library == nullptr) {
        return false;
    }
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER, library, code,
                                        kDefaultLanguage, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    const DWORD lookupError = GetLastError();
    const bool found = takeMessage(length, buffer, text);
    FreeLibrary(library);
    if (!found) {
        SetLastError(lookupError);
    }
    return found;
}

bool isNotFoundError(std::uint32_t code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_DIRECTORY:  // a file where a directory of the path should be
            return true;
        default:
            return false;
    }
}

// The Windows file code reports a directory opened as a file with this code
// (the system itself says only "access denied").
bool isDirectoryError(std::uint32_t code) { return code == windows::kDirectoryNotSupported; }

bool isCrossDeviceError(std::uint32_t code) { return code == ERROR_NOT_SAME_DEVICE; }

bool isPathSeparator(char character) { return character == '/' || character == '\\'; }

int compareIgnoreCase(const char* left, const char* right) {
    auto lower = [](char character) {
        const unsigned char byte = static_cast<unsigned char>(character);
        return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : static_cast<int>(byte);
    };
    for (;; ++left, ++right) {
        const int difference = lower(*left) - lower(*right);
        if (difference != 0 || *left == '\0') {
            return difference;
        }
    }
}

bool createGuidText(std::string& text) {
    // Formatted here, in the lower-case 8-4-4-4-12 form that UuidToStringA
    // gives, without the RPC library and its allocation.
    GUID guid;
    if (FAILED(CoCreateGuid(&guid))) {
        return false;
    }
    char buffer[40];
    const int length = std::snprintf(
        buffer, sizeof buffer, "%08lx-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x",
        static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
        guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    if (length != 36) {
        return false;
    }
    text.assign(buffer, 36);
    return true;
}

std::int64_t localTimeToSeconds(std::tm fields) { return static_cast<std::int64_t>(_mktime64(&fields)); }

std::int64_t localTimeOfDayMicroseconds() {
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    FILETIME local;
    SYSTEMTIME clock;
    if (!FileTimeToLocalFileTime(&now, &local) || !FileTimeToSystemTime(&local, &clock)) {
        return 0;
    }
    const ULONGLONG ticks = (static_cast<ULONGLONG>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    const std::int64_t belowMillisecond = static_cast<std::int64_t>(ticks % 10000) / 10;
    return ((static_cast<std::int64_t>(clock.wHour) * 3600 + clock.wMinute * 60 + clock.wSecond) * 1000 +
            clock.wMilliseconds) *
               1000 +
           belowMillisecond;
}

std::string currentLocalTimeText() {
    // asctime's form, which is the same in every locale.
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const __time64_t now = _time64(nullptr);
    std::tm local {};
    if (_localtime64_s(&local, &now) != 0 || local.tm_wday < 0 || local.tm_wday > 6 || local.tm_mon < 0 ||
        local.tm_mon > 11) {
        return std::string();
    }
    char buffer[64];
    const int length = std::snprintf(buffer, sizeof buffer, "%s %s %2d %02d:%02d:%02d %d", kDays[local.tm_wday],
                                     kMonths[local.tm_mon], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                                     local.tm_year + 1900);
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length)) : std::string();
}

}  // namespace ostrel::platform
