#ifndef HEMWRIGHT_TESTS_SUPPORT_POSIX_POSIXHOSTRUNNER_H
#define HEMWRIGHT_TESTS_SUPPORT_POSIX_POSIXHOSTRUNNER_H

#include "tests/support/HostRunner.h"

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>

// What only POSIX systems let a host do with the program it starts
// (HostRunner.h): constrain it with resource limits (a file size limit that
// stands in for a full disk, an address-space limit, a CPU-time limit), run
// it as another user, start it with a signal ignored, and signal or stop it
// at a chosen moment for crash tests.
//
// Every child starts with every signal at its default action and none
// blocked, whatever this process does with them, so that what the program
// does with SIGXFSZ, SIGPIPE and the termination signals is its own doing.
namespace testing_support {

struct PosixHostOptions : HostOptions {
    // RLIMIT_FSIZE of the child in bytes: a write past it is what a full disk
    // is to the program. Negative: no limit.
    std::int64_t fileSizeLimit = -1;
    // RLIMIT_AS of the child in bytes: its address space, which every
    // allocation and mapping counts against, as a memory limit does.
    // Negative: no limit.
    std::int64_t addressSpaceLimit = -1;
    // RLIMIT_CPU of the child in seconds: past it the child gets SIGXCPU.
    // Negative: no limit.
    int cpuSecondsLimit = -1;
    // RLIMIT_STACK of the child in bytes, as `ulimit -s` sets it: the size
    // of its main thread's stack. Negative: as this process.
    std::int64_t stackLimit = -1;
    // Runs the child as this user and group, without supplementary groups
    // (needs root). Negative: as this process. The executable is run from a
    // copy that user can reach when the build tree lies in a folder only its
    // owner may enter; the working directory must be reachable (see
    // whyOtherUsersCannotWorkIn).
    int user = -1;
    int group = -1;
    // A signal the child starts with ignored, as a job started with nohup
    // starts with SIGHUP ignored. 0: none.
    int ignoredSignal = 0;
};

// Runs executable in workDirectory under options and waits for it.
HostRun runHost(const std::string& executable, const std::string& workDirectory, const PosixHostOptions& options);

class PosixHostProcess : public HostProcess {
public:
    PosixHostProcess(const std::string& executable, const std::string& workDirectory,
                     const PosixHostOptions& options = PosixHostOptions());

    pid_t pid();
    // Sends signal to the child, lets a stopped child go on, and waits.
    HostRun signalAndWait(int signal);
    // Polls until condition() holds or the child ends. When the condition
    // holds, stops the child (SIGSTOP) and returns true once it has stopped,
    // so that the caller can look at a state that no longer moves and then
    // kill(). The condition is polled again only while the child runs.
    bool stopWhen(const std::function<bool()>& condition);
};

// A copy of program that every user may run, in one folder every user may
// enter, under program's own file name (so programs that find each other
// beside themselves still do). Made once per program; removed when the
// tests end.
const std::string& reachableCopyOf(const std::string& program);

// Why another user than this process's could not work in directory: a
// folder on its path that others may not enter (a checkout under /root or in
// a private temporary folder, say). Empty when they could. Tests that run the
// program as another user skip with this text.
std::string whyOtherUsersCannotWorkIn(const std::string& directory);

// Whether an address-space limit can be set for the program under test: not
// when it is built with AddressSanitizer, which reserves terabytes of
// address space as it starts.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSpaceCanBeBounded = false;
#else
inline constexpr bool kAddressSpaceCanBeBounded = true;
#endif

// The smallest address space (to within 64 KiB, below 1 GiB) under which
// executable, run in workDirectory, exits with 0: what the program needs for
// the run it makes there. -1 when it does not even with 1 GiB. The run must
// give the same result each time.
std::int64_t smallestAddressSpaceToSucceed(const std::string& executable, const std::string& workDirectory);

}  // namespace testing_support

#endif
