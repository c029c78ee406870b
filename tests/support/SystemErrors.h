#ifndef HEMWRIGHT_TESTS_SUPPORT_SYSTEMERRORS_H
#define HEMWRIGHT_TESTS_SUPPORT_SYSTEMERRORS_H

#include <cstdint>
#include <string>

// The system's own codes for the failures the tests provoke or inject, and
// the reason this platform's system gives for each, so that an expected
// message stays exact everywhere: its framing as the program words it, its
// reason as this platform words it ("No such file or directory" on Linux,
// another text on Windows and another again under Wine). Each platform's
// folder (posix/, windows/) says which code its system reports.
namespace testing_support {

enum class SystemError {
    FileNotFound,       // the name does not exist
    PathNotFound,       // a directory on the path does not exist
    AccessDenied,       // the system refuses the operation
    AlreadyExists,      // an exclusive create meets a name that is taken
    NameTooLong,        // a name longer than the file system takes
    DiskFull,           // no room left on the volume
    InputOutput,        // the device failed (a failing disk)
    Busy,               // the name is in use and cannot be replaced now
    CrossDevice,        // a rename between two volumes
    DirectoryOpened,    // a directory opened where a file was to be read
    DirectoryInTheWay,  // a directory holds the name a file was to take or leave
};

// The code this platform's system reports for error.
std::uint32_t systemErrorCode(SystemError error);

// The reason text for error as the program words it (ErrorResolver, without
// a final period).
std::string systemReason(SystemError error);

// systemReason(error) at the end of a message: with the full stop the
// program's messages give it (one, whether the system's text ends in one or
// not).
std::string reasonSentence(SystemError error);

// Whether the tests run under Wine, which imitates Windows but does not give
// every Windows answer. A test that meets such a call skips, saying which
// call and how Wine differs.
bool runningUnderWine();

}  // namespace testing_support

#endif
