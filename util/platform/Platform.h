#ifndef OSTREL_PLATFORM_PLATFORM_H
#define OSTREL_PLATFORM_PLATFORM_H

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>

// The platform seam: every operating-system service the program relies on,
// behind plain functions. One implementation file per platform is chosen by
// the build (platform/posix/ here); callers never include a system header for
// these services and contain no #ifdef. A port adds an implementation file.
namespace ostrel::platform {

// The calling thread's last system error code (errno on POSIX), read
// immediately after a failing call.
std::uint32_t lastErrorCode();

// Sets the calling thread's last system error code.
void setLastErrorCode(std::uint32_t code);

// The system's own text for an error code. Returns false, leaving text
// untouched, when the system has no text for the code.
bool systemErrorText(std::uint32_t code, std::string& text);

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

// The error code that a failed systemErrorText lookup stands for, reported in
// place of a last error the lookup itself does not set (EINVAL on POSIX: what
// strerror reports for a number it does not know).
std::uint32_t errorTextLookupFailureCode();

}  // namespace ostrel::platform

#endif
