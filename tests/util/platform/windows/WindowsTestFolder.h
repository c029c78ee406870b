#ifndef HEMWRIGHT_TESTS_UTIL_PLATFORM_WINDOWS_WINDOWSTESTFOLDER_H
#define HEMWRIGHT_TESTS_UTIL_PLATFORM_WINDOWS_WINDOWSTESTFOLDER_H

#include <filesystem>
#include <string>
#include <vector>

// Helpers of the Windows layer's tests, on the system's own calls.
namespace windows_testing {

// Whether the tests run under Wine (its ntdll exports wine_get_version):
// what Wine does not keep is then skipped with the reason printed.
bool runningUnderWine();

// A fresh folder under the system's temporary folder, removed with
// everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The UTF-8 path of name (itself UTF-8) in the folder, as input.xml gives
    // paths to the program.
    std::string file(const std::string& name) const;
    // The names (UTF-8) of the folder's entries, sorted.
    std::vector<std::string> entries() const;

private:
    std::filesystem::path path_;
};

std::string readFile(const std::string& utf8Path);
void writeFile(const std::string& utf8Path, const std::string& bytes);
// The attributes of the file (INVALID_FILE_ATTRIBUTES when missing).
unsigned long attributesOf(const std::string& utf8Path);

// hemwright.exe as a Windows path.
std::wstring hemwrightExecutable();

}  // namespace windows_testing

#endif
