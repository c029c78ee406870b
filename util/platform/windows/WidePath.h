#ifndef OSTREL_PLATFORM_WINDOWS_WIDEPATH_H
#define OSTREL_PLATFORM_WINDOWS_WIDEPATH_H

#include <string>

// Paths as the Windows file code hands them to the system. The program's
// paths are UTF-8 (input.xml carries UTF-8); the system's wide calls take
// UTF-16, so every name opens, not only those of the ANSI code page. Each
// conversion fails rather than guess: a malformed UTF-8 sequence could
// otherwise name another file.
namespace ostrel::platform::windows {

// path in UTF-16. False, with ERROR_NO_UNICODE_TRANSLATION as the last
// error, when path is not valid UTF-8; ERROR_INVALID_NAME when it holds a
// NUL.
bool toWide(const std::string& path, std::wstring& wide);

// The full path of path (relative to the working directory and its drive),
// normalised as every Win32 call normalises a path: both separators, "."
// and "..", trailing dots and blanks of a name, device names. No trailing
// separator is added. False with the last error set.
bool fullPathOf(const std::wstring& path, std::wstring& full);

// A full path in the form that lifts the classic MAX_PATH limit of 260
// characters ("\\?\C:\..." or "\\?\UNC\server\share\..."); a path already in
// a device form ("\\?\", "\\.\") stays as it is. The input must be a result of
// fullPathOf: the long form skips the system's normalisation.
std::wstring longPathForm(const std::wstring& full);

// fullPathOf then longPathForm, for a path given by the program.
bool systemPathOf(const std::string& path, std::wstring& systemPath);

// The system path of the entry name in the directory whose full path is
// directory (as fullPathOf gave it). name must be one name: a separator, a
// colon (which would name a stream of a file, or a drive) or a NUL fails
// with ERROR_INVALID_NAME.
bool entryPathOf(const std::wstring& directory, const std::string& name, std::wstring& systemPath);

}  // namespace ostrel::platform::windows

#endif
