#ifndef HEMWRIGHT_TESTS_SUPPORT_HOSTRUNNER_H
#define HEMWRIGHT_TESTS_SUPPORT_HOSTRUNNER_H

#include <chrono>
#include <memory>
#include <string>
#include <vector>

// Starts an executable the way the host does (in a working directory, no
// arguments, standard output captured) and waits for it, with a time limit
// that turns a hang into a test failure instead of a stuck suite. The same
// on every platform; each platform's folder implements it, and what only
// POSIX systems offer (resource limits, other users, signals, stopping the
// child) is in posix/PosixHostRunner.h.
namespace testing_support {

struct HostOptions {
    // The reader of the child's standard output is gone before it starts:
    // writes to it fail (on POSIX systems the child starts with SIGPIPE at
    // its default action, which would end it).
    bool standardOutputClosed = false;
    // The child is killed (and the run reported as timed out) after this.
    std::chrono::milliseconds timeout{20000};
    // Arguments after the program's name. The host passes none; a person
    // at the command line may.
    std::vector<std::string> arguments;
    // When set, the child's standard error goes to this file (created or
    // emptied), so that a test can read what it said there; otherwise it
    // shares the test's own.
    std::string standardErrorFile;
};

struct HostRun {
    bool exited = false;  // ended by exiting, with exitStatus as a host here sees it
    int exitStatus = -1;
    bool killedBySignal = false;  // POSIX systems: ended by a signal, signalNumber holds it
    int signalNumber = 0;
    bool timedOut = false;  // killed because options.timeout passed
    std::string standardOutput;
};

// The exit code a host on this platform sees when the program exits with
// code: a POSIX parent sees only its low 8 bits (1001 arrives as 233), a
// Windows parent all 32.
int exitCodeSeenByHost(int code);

// Runs executable in workDirectory and waits for it.
HostRun runHost(const std::string& executable, const std::string& workDirectory,
                const HostOptions& options = HostOptions());

// A started child process; the destructor kills it and waits if it still
// runs.
class HostProcess {
public:
    HostProcess(const std::string& executable, const std::string& workDirectory,
                const HostOptions& options = HostOptions());
    ~HostProcess();
    HostProcess(const HostProcess&) = delete;
    HostProcess& operator=(const HostProcess&) = delete;

    // Ends the child at once (SIGKILL; on Windows TerminateProcess) unless it
    // has ended already, and waits for it.
    HostRun kill();
    // Waits for the child to end, killing it when options.timeout passes.
    HostRun wait();

    // The platform's own record of the child.
    struct Child;

protected:
    explicit HostProcess(std::unique_ptr<Child> child);
    Child& child() { return *child_; }

private:
    std::unique_ptr<Child> child_;
};

}  // namespace testing_support

#endif
