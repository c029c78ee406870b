#include "util/platform/windows/WidePath.h"

#include "util/platform/windows/WindowsApi.h"

#include <limits>

namespace ostrel::platform::windows {

namespace {

bool startsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

bool toWide(const std::string& path, std::wstring& wide) {
    wide.clear();
    if (path.empty()) {
        return true;
    }
    if (path.find('\0') != std::string::npos) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    if (path.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    const int size = static_cast<int>(path.size());
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, nullptr, 0);
    if (length <= 0) {
        return false;
    }
    wide.resize(static_cast<std::size_t>(length));
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), size, wide.data(), length) == length;
}

bool fullPathOf(const std::wstring& path, std::wstring& full) {
    const wchar_t* input = path.empty() ? L"." : path.c_str();
    // The size needed can change between the calls when another thread
    // changes the working directory; asked again then.
    DWORD size = MAX_PATH;
    for (;;) {
        full.resize(size);
        const DWORD length = GetFullPathNameW(input, size, full.data(), nullptr);
        if (length == 0) {
            return false;
        }
        if (length < size) {
            full.resize(length);
            return true;
        }
        size = length;
    }
}

std::wstring longPathForm(const std::wstring& full) {
    if (startsWith(full, L"\\\\?\\") || startsWith(full, L"\\\\.\\")) {
        return full;
    }
    if (startsWith(full, L"\\\\")) {
        return L"\\\\?\\UNC\\" + full.substr(2);
    }
    return L"\\\\?\\" + full;
}

bool systemPathOf(const std::string& path, std::wstring& systemPath) {
    std::wstring wide;
    std::wstring full;
    if (!toWide(path, wide) || !fullPathOf(wide, full)) {
        return false;
    }
    systemPath = longPathForm(full);
    return true;
}

bool entryPathOf(const std::wstring& directory, const std::string& name, std::wstring& systemPath) {
    if (name.empty() || name.find_first_of(std::string("/\\:\0", 4)) != std::string::npos) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    std::wstring wide;
    if (!toWide(name, wide)) {
        return false;
    }
    std::wstring joined = directory;
    if (joined.empty() || (joined.back() != L'\\' && joined.back() != L'/')) {
        joined += L'\\';
    }
    joined += wide;
    // Normalised again, as a Win32 call on the joined path would be: "." and
    // ".." step out of the name, a trailing dot or blank goes.
    std::wstring full;
    if (!fullPathOf(joined, full)) {
        return false;
    }
    systemPath = longPathForm(full);
    return true;
}

}  // namespace ostrel::platform::windows
