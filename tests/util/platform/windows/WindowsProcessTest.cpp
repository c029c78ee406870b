// hemwright.exe as a Windows host meets it: the whole 32-bit exit code, and
// no temporary file left by a run that was killed.
#include "tests/util/platform/windows/WindowsTestFolder.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

using windows_testing::readFile;
using windows_testing::ScratchFolder;
using windows_testing::writeFile;

namespace {

std::string inputDocument(const std::string& file) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<VellamorPlugin SpecVersion=\"1.0\"><PipelinePluginInput SpecVersion=\"1.0\"><DataElements>"
           "<DataElement Name=\"DataToPrepend\" Type=\"string\">head </DataElement></DataElements>"
           "<Files><File Name=\"" +
           file + "\"/></Files></PipelinePluginInput></VellamorPlugin>\n";
}

// hemwright.exe started in folder, as a host starts it.
class HemwrightRun {
public:
    explicit HemwrightRun(const ScratchFolder& folder) {
        std::wstring commandLine = L"\"" + windows_testing::hemwrightExecutable() + L"\"";
        // Its messages (the reason of a failed run) go nowhere.
        SECURITY_ATTRIBUTES inherited {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        nowhere_ = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                               OPEN_EXISTING, 0, nullptr);
        STARTUPINFOW startup {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nowhere_;
        started_ = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                  folder.path().c_str(), &startup, &process_) != FALSE;
        EXPECT_TRUE(started_) << "CreateProcessW failed with " << GetLastError();
    }
    ~HemwrightRun() {
        if (started_) {
            WaitForSingleObject(process_.hProcess, INFINITE);
            CloseHandle(process_.hThread);
            CloseHandle(process_.hProcess);
        }
        CloseHandle(nowhere_);
    }
    HemwrightRun(const HemwrightRun&) = delete;
    HemwrightRun& operator=(const HemwrightRun&) = delete;

    bool finished(DWORD milliseconds = 0) const {
        return started_ && WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0;
    }
    DWORD exitCode() const {
        DWORD code = 0;
        EXPECT_TRUE(finished(INFINITE));
        EXPECT_TRUE(GetExitCodeProcess(process_.hProcess, &code));
        return code;
    }
    void kill() const { TerminateProcess(process_.hProcess, 9); }

private:
    HANDLE nowhere_ = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION process_ {};
    bool started_ = false;
};

bool holdsTemporaryFile(const ScratchFolder& folder) {
    for (const std::string& name : folder.entries()) {
        if (name.find("-tmp-") != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace

TEST(WindowsProcessTest, ParentSeesTheWholeExitCode) {
    struct Case {
        const char* what;
        std::string input;
        DWORD expected;
    };
    const Case cases[] = {
        {"input.xml is not XML", "<VellamorPlugin", 1001},
        {"a listed file is read-only", inputDocument("kept.txt"), 2001},
        {"output.xml cannot be written (a folder holds the name)", inputDocument("kept.txt"), 3002},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ScratchFolder folder;
        writeFile(folder.file("input.xml"), test.input);
        writeFile(folder.file("kept.txt"), "data");
        const std::wstring kept = std::filesystem::u8path(folder.file("kept.txt")).wstring();
        if (test.expected == 2001) {
            ASSERT_TRUE(SetFileAttributesW(kept.c_str(), FILE_ATTRIBUTE_READONLY));
        } else if (test.expected == 3002) {
            ASSERT_TRUE(std::filesystem::create_directory(folder.path() / "output.xml"));
        }
        EXPECT_EQ(test.expected, HemwrightRun(folder).exitCode());
        if (test.expected == 2001) {
            EXPECT_EQ("data", readFile(folder.file("kept.txt")));
            EXPECT_EQ(DWORD(FILE_ATTRIBUTE_READONLY),
                      GetFileAttributesW(kept.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
        }
    }
}

TEST(WindowsProcessTest, KilledRewriteLeavesNoTemporaryFile) {
    ScratchFolder folder;
    // Large enough that the rewrite lasts long after its temporary file
    // appears.
    const std::string content(std::size_t(64) << 20, 'x');
    writeFile(folder.file("big.txt"), content);
    writeFile(folder.file("input.xml"), inputDocument("big.txt"));

    const HemwrightRun run(folder);
    bool seen = false;
    while (!seen && !run.finished()) {
        seen = holdsTemporaryFile(folder);
    }
    ASSERT_TRUE(seen) << "the rewrite ended before its temporary file was seen";
    run.kill();
    EXPECT_TRUE(run.finished(INFINITE));

    EXPECT_FALSE(holdsTemporaryFile(folder));
    EXPECT_TRUE(readFile(folder.file("big.txt")) == content);
}
