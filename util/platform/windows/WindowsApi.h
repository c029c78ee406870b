#ifndef OSTREL_PLATFORM_WINDOWS_WINDOWSAPI_H
#define OSTREL_PLATFORM_WINDOWS_WINDOWSAPI_H

// The one way the Windows implementation includes the system's headers:
// without the min and max macros, which would break the standard library's
// std::min and std::max and numeric_limits<>::max().
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace ostrel::platform::windows {

// ERROR_DIRECTORY_NOT_SUPPORTED ("An operation is not supported on a
// directory."), which MinGW-w64's headers do not name: how the file code
// reports a directory opened where a file was wanted.
constexpr DWORD kDirectoryNotSupported = 336;

}  // namespace ostrel::platform::windows

#endif
