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
        case SystemError::DirectoryInTheWay:
            // Windows reports a directory where a file was to be replaced,
            // removed or opened as a refused access.
            return ERROR_ACCESS_DENIED;
        case SystemError::NoTextForCode:
            return ERROR_MR_MID_NOT_FOUND;
    }
    return 0;
}

}  // namespace testing_support
