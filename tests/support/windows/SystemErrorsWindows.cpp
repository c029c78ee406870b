#include "tests/support/SystemErrors.h"

#include <windows.h>

namespace testing_support {

std::uint32_t systemErrorCode(SystemError error) {
    switch (error) {
        case SystemError::FileNotFound:
            return ERROR_FILE_NOT_FOUND;
        case SystemError::PathNotFound:
            return ERROR_PATH_NOT_FOUND;
        case SystemError::AccessDenied:
            return ERROR_ACCESS_DENIED;
        case SystemError::AlreadyExists:
            return ERROR_FILE_EXISTS;
        case SystemError::NameTooLong:
            return ERROR_FILENAME_EXCED_RANGE;
        case SystemError::DiskFull:
            return ERROR_DISK_FULL;
        case SystemError::InputOutput:
            return ERROR_IO_DEVICE;
        case SystemError::Busy:
            return ERROR_SHARING_VIOLATION;
        case SystemError::CrossDevice:
            return ERROR_NOT_SAME_DEVICE;
        case SystemError::DirectoryOpened:
            // The system says only "access denied"; the file code tells a
            // directory apart with ERROR_DIRECTORY_NOT_SUPPORTED, which
            // MinGW-w64's headers do not name.
            return 336;
        case SystemError::DirectoryInTheWay:
            // A directory that a file was to replace or that was to be
            // removed as a file: a refused access.
            return ERROR_ACCESS_DENIED;
    }
    return 0;
}

bool runningUnderWine() {
    // Wine's ntdll has an export of its own that Windows' has not.
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace testing_support
