#include "tests/util/platform/windows/WindowsTestFolder.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

namespace windows_testing {

namespace {

std::filesystem::path fromUtf8(const std::string& utf8) { return std::filesystem::u8path(utf8); }

}  // namespace

bool runningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

ScratchFolder::ScratchFolder() {
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (unsigned attempt = 0;; ++attempt) {
        path_ = base / ("hemwright-win-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt));
        if (std::filesystem::create_directory(path_)) {
            return;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    // Read-only entries would stop the removal.
    std::error_code error;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, error)) {
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::filesystem::remove_all(path_, error);
}

std::string ScratchFolder::file(const std::string& name) const { return (path_ / fromUtf8(name)).u8string(); }

std::vector<std::string> ScratchFolder::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_)) {
        names.push_back(entry.path().filename().u8string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const std::string& utf8Path) {
    std::ifstream stream(fromUtf8(utf8Path), std::ios::binary);
    EXPECT_TRUE(stream.good()) << utf8Path;
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& utf8Path, const std::string& bytes) {
    std::ofstream stream(fromUtf8(utf8Path), std::ios::binary | std::ios::trunc);
    stream << bytes;
    EXPECT_TRUE(stream.good()) << utf8Path;
}

unsigned long attributesOf(const std::string& utf8Path) {
    return GetFileAttributesW(fromUtf8(utf8Path).c_str());
}

std::wstring hemwrightExecutable() {
    const std::string built = HEMWRIGHT_EXECUTABLE;
    // A cross build under Wine names the program by its Unix path.
    using ToDosName = wchar_t* (*)(const char*);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    // (Through void (*)(): a cast between other function types draws a
    // warning.)
    const auto toDosName =
        kernel != nullptr
            ? reinterpret_cast<ToDosName>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, "wine_get_dos_file_name")))
            : nullptr;
    if (!built.empty() && built[0] == '/' && toDosName != nullptr) {
        wchar_t* dosName = toDosName(built.c_str());
        if (dosName != nullptr) {
            std::wstring result(dosName);
            HeapFree(GetProcessHeap(), 0, dosName);
            return result;
        }
    }
    return fromUtf8(built).wstring();
}

}  // namespace windows_testing
