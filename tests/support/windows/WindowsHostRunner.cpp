// HostRunner on Windows: the child is started with CreateProcessW in the
// working directory, its standard output is a pipe that a thread of ours
// reads to the end (so a child that writes much never waits on us), and its
// exit code is read whole with GetExitCodeProcess, as a Windows host reads
// it.
#include "tests/support/HostRunner.h"

#include <windows.h>

#include <stdexcept>
#include <thread>

namespace testing_support {

namespace {

std::wstring wide(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0);
    if (size <= 0) {
        throw std::runtime_error("not UTF-8: " + text);
    }
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), result.data(),
                          size);
    return result;
}

// The absolute form of path. A path that starts with '/' (the build tree's
// own paths, which CMake writes as the build machine spells them) names a
// folder on the current drive, where the tests run.
std::wstring fullPath(const std::string& path) {
    const std::wstring given = wide(path);
    const DWORD size = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
    if (size == 0) {
        throw std::runtime_error("GetFullPathNameW failed for " + path);
    }
    std::wstring result(size, L'\0');
    const DWORD length = ::GetFullPathNameW(given.c_str(), size, result.data(), nullptr);
    result.resize(length);
    return result;
}

// A handle the child inherits, duplicated from one of ours; the null device
// when we have none.
HANDLE inheritable(HANDLE handle, DWORD access) {
    HANDLE copy = nullptr;
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE &&
        ::DuplicateHandle(::GetCurrentProcess(), handle, ::GetCurrentProcess(), &copy, 0, TRUE,
                          DUPLICATE_SAME_ACCESS)) {
        return copy;
    }
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return ::CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
}

// One argument as the C runtime's command-line parser reads it back: in
// quotes when it holds a blank or a quote or is empty, a quote escaped with
// a backslash, and backslashes doubled where a quote follows them.
std::wstring quotedArgument(const std::string& argument) {
    const std::wstring text = wide(argument);
    if (!text.empty() && text.find_first_of(L" \t\"") == std::wstring::npos) {
        return text;
    }
    std::wstring quoted = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t character : text) {
        if (character == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(character == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += character;
    }
    quoted.append(2 * backslashes, L'\\');
    quoted += L'"';
    return quoted;
}

void closeHandle(HANDLE& handle) {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
    }
    handle = nullptr;
}

}  // namespace

struct HostProcess::Child {
    Child(const std::string& executable, const std::string& workDirectory, const HostOptions& options);
    ~Child();

    // Waits up to milliseconds for the child's end and records it; false
    // when it still runs.
    bool awaitEnd(DWORD milliseconds);
    HostRun finish();
    HostRun kill();
    HostRun wait();

    HANDLE process = nullptr;
    HANDLE outputRead = nullptr;
    std::thread reader;
    std::string output;
    std::chrono::steady_clock::time_point deadline;
    HostRun run;
    bool ended = false;
};

HostProcess::Child::Child(const std::string& executable, const std::string& workDirectory,
                          const HostOptions& options)
    : deadline(std::chrono::steady_clock::now() + options.timeout) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outputWrite = nullptr;
    if (!::CreatePipe(&outputRead, &outputWrite, &inherit, 0)) {
        throw std::runtime_error("CreatePipe failed");
    }
    // Our end stays ours: a child started later must not hold it open.
    ::SetHandleInformation(outputRead, HANDLE_FLAG_INHERIT, 0);
    if (options.standardOutputClosed) {
        closeHandle(outputRead);  // before the start, so that no reader exists anywhere
    }
    HANDLE input = inheritable(::GetStdHandle(STD_INPUT_HANDLE), GENERIC_READ);
    HANDLE error = options.standardErrorFile.empty()
                       ? inheritable(::GetStdHandle(STD_ERROR_HANDLE), GENERIC_WRITE)
                       : ::CreateFileW(fullPath(options.standardErrorFile).c_str(), GENERIC_WRITE,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (error == INVALID_HANDLE_VALUE) {
        closeHandle(outputRead);
        closeHandle(outputWrite);
        closeHandle(input);
        throw std::runtime_error("cannot open " + options.standardErrorFile);
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input;
    startup.hStdOutput = outputWrite;
    startup.hStdError = error;
    PROCESS_INFORMATION started{};
    // The host passes no argument: the command line is the program's name,
    // then what a test gives as a person would type it.
    std::wstring commandLine = L"hemwright";
    for (const std::string& argument : options.arguments) {
        commandLine += L' ';
        commandLine += quotedArgument(argument);
    }
    const std::wstring application = fullPath(executable);
    const std::wstring directory = fullPath(workDirectory);
    const BOOL created = ::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                          directory.c_str(), &startup, &started);
    const DWORD createError = ::GetLastError();
    closeHandle(outputWrite);
    closeHandle(input);
    closeHandle(error);
    if (!created) {
        closeHandle(outputRead);
        throw std::runtime_error("CreateProcessW failed with " + std::to_string(createError) + " for " + executable);
    }
    ::CloseHandle(started.hThread);
    process = started.hProcess;
    if (outputRead != nullptr) {
        reader = std::thread([this] {
            char buffer[4096];
            DWORD count = 0;
            while (::ReadFile(outputRead, buffer, sizeof buffer, &count, nullptr) && count > 0) {
                output.append(buffer, count);
            }
        });
    }
}

HostProcess::Child::~Child() {
    if (!ended) {
        kill();
    }
    closeHandle(process);
    closeHandle(outputRead);
}

bool HostProcess::Child::awaitEnd(DWORD milliseconds) {
    if (ended) {
        return true;
    }
    if (::WaitForSingleObject(process, milliseconds) != WAIT_OBJECT_0) {
        return false;
    }
    ended = true;
    DWORD code = 0;
    if (::GetExitCodeProcess(process, &code)) {
        run.exited = true;
        run.exitStatus = static_cast<int>(code);
    }
    return true;
}

HostRun HostProcess::Child::finish() {
    // The pipe ends when the child (the only writer) has ended.
    if (reader.joinable()) {
        reader.join();
    }
    run.standardOutput = output;
    return run;
}

HostRun HostProcess::Child::kill() {
    if (!ended) {
        ::TerminateProcess(process, 1);
        ::WaitForSingleObject(process, INFINITE);
        ended = true;
    }
    return finish();
}

HostRun HostProcess::Child::wait() {
    const auto left = deadline - std::chrono::steady_clock::now();
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(left).count();
    if (!awaitEnd(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0)) {
        run.timedOut = true;
        return kill();
    }
    return finish();
}

int exitCodeSeenByHost(int code) { return code; }

HostProcess::HostProcess(std::unique_ptr<Child> child) : child_(std::move(child)) {}

HostProcess::HostProcess(const std::string& executable, const std::string& workDirectory,
                         const HostOptions& options)
    : HostProcess(std::make_unique<Child>(executable, workDirectory, options)) {}

HostProcess::~HostProcess() = default;

HostRun HostProcess::kill() { return child_->kill(); }

HostRun HostProcess::wait() { return child_->wait(); }

HostRun runHost(const std::string& executable, const std::string& workDirectory, const HostOptions& options) {
    HostProcess process(executable, workDirectory, options);
    return process.wait();
}

}  // namespace testing_support
