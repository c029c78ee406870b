#include "tests/support/SystemErrors.h"

#include <cerrno>

namespace testing_support {

std::uint32_t systemErrorCode(SystemError error) {
    switch (error) {
        case SystemError::FileNotFound:
        case SystemError::PathNotFound:
            return ENOENT;
        case SystemError::AccessDenied:
            return EACCES;
        case SystemError::AlreadyExists:
            return EEXIST;
        case SystemError::NameTooLong:
            return ENAMETOOLONG;
        case SystemError::DiskFull:
            return ENOSPC;
        case SystemError::InputOutput:
            return EIO;
        case SystemError::Busy:
            return EBUSY;
        case SystemError::CrossDevice:
            return EXDEV;
        case SystemError::DirectoryOpened:
        case SystemError::DirectoryInTheWay:
            return EISDIR;
    }
    return 0;
}

bool runningUnderWine() { return false; }

}  // namespace testing_support
