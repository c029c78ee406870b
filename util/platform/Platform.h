#ifndef OSTREL_PLATFORM_PLATFORM_H
#define OSTREL_PLATFORM_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// The platform seam: every operating-system service the program relies on,
// behind plain functions. One implementation folder per platform is chosen
// by the build (platform/posix/ or platform/windows/); callers never include
// a system header for these services and contain no #ifdef. A port adds an
// implementation folder.
namespace ostrel::platform {

// The calling thread's last system error code (errno on POSIX), read
// immediately after a failing call.
std::uint32_t lastErrorCode();

// Sets the calling thread's last system error code.
void setLastErrorCode(std::uint32_t code);

// The system's own text for an error code (on Windows from its message
// tables, line breaks included). Returns false, leaving text untouched, with
// the code of the failed lookup in lastErrorCode(), when the system has no
// text for the code.
bool systemErrorText(std::uint32_t code, std::string& text);

// The text for an error code from the message table of the named message
// module (a library such as "wininet.dll"). Returns false, leaving text
// untouched, with the code of the failed lookup in lastErrorCode(), when the
// module cannot be loaded or has no text for the code; always so on POSIX
// systems, which have no message modules.
bool moduleErrorText(const std::string& module, std::uint32_t code, std::string& text);

// The error object that a failed COM call posted on this thread, taken from
// it (Windows; POSIX systems have none): a single description with its
// source, or the records of a database error, each with its own result code,
// description, source and, where the record carries one, its SQL state.
struct PostedErrorRecord {
    std::uint32_t result = 0;
    std::string description;
    std::string source;
    bool hasSqlState = false;
    std::string sqlState;
};
struct PostedErrorInfo {
    enum class Kind { None, Single, Records };
    Kind kind = Kind::None;
    std::string description;  // Single
    std::string source;       // Single
    std::vector<PostedErrorRecord> records;
};
PostedErrorInfo takePostedErrorInfo();

// Whether code says that a path does not exist.
bool isNotFoundError(std::uint32_t code);

// Whether code says that a path names a directory where a file was wanted.
bool isDirectoryError(std::uint32_t code);

// Whether code says that a rename failed because the two names lie on
// different volumes (file systems), so that only a copy can move the file.
bool isCrossDeviceError(std::uint32_t code);

// Whether character separates the components of a path here: only '/' on
// POSIX systems, where '\\' is an ordinary character of a name.
bool isPathSeparator(char character);

// Case-insensitive comparison of ASCII letters up to the first NUL of each
// text: negative, zero or positive like strcmp.
int compareIgnoreCase(const char* left, const char* right);

// A new GUID as 36 lower-case hexadecimal characters in the groups 8-4-4-4-12.
// Returns false when the system cannot make one.
bool createGuidText(std::string& text);

// Seconds since 1970-01-01 00:00:00 UTC of the broken-down time taken as
// local time (fields normalised as mktime does); -1 when not representable.
std::int64_t localTimeToSeconds(std::tm fields);

// Microseconds since the start of the current day in local time (the seed
// of the fallback name generator).
std::int64_t localTimeOfDayMicroseconds();

// The current local time in the 24-character ctime form, without the line
// feed ("Wed Dec  9 11:42:32 2026").
std::string currentLocalTimeText();


}  // namespace ostrel::platform

#endif
