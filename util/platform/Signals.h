#ifndef OSTREL_PLATFORM_SIGNALS_H
#define OSTREL_PLATFORM_SIGNALS_H

#include <cstddef>
#include <string>

// How the process meets signals while it writes files: part of the platform
// seam.
//
// A host or an operator that stops a step sends a termination signal
// (SIGTERM, SIGINT or SIGHUP on POSIX). The program then removes the
// temporary files it is writing, so that nothing is left beside the files it
// was replacing, and ends by that same signal, so that the host still sees a
// terminated step. Signals that would otherwise kill the program in the
// middle of a write (a file size limit, a closed standard output) are ignored:
// the write fails instead and the run reports it.
namespace ostrel::platform {

// Installs the behaviour above for the whole process. A termination signal
// that the process was started with ignored stays ignored (a step started in
// the background keeps its immunity). Call once, early in main; without it
// the registrations below are kept but nothing acts on them.
void installSignalHandling();

// A temporary file that a termination signal removes, from registration
// until the object is destroyed or released. At most kMaxRegistrations are
// registered at a time; a further one is refused (isRegistered() false), and
// the file is then merely left behind by a signal, as by a kill.
class TerminationCleanup {
public:
    static constexpr std::size_t kMaxRegistrations = 4;

    TerminationCleanup() = default;
    // Registers path. Call with termination signals blocked when the file was
    // just created, so that no signal falls between creation and registration.
    explicit TerminationCleanup(const std::string& path);
    ~TerminationCleanup() { release(); }
    TerminationCleanup(TerminationCleanup&& other) noexcept;
    TerminationCleanup& operator=(TerminationCleanup&& other) noexcept;
    TerminationCleanup(const TerminationCleanup&) = delete;
    TerminationCleanup& operator=(const TerminationCleanup&) = delete;

    bool isRegistered() const { return slot_ >= 0; }
    // Forgets the file: a signal after this leaves it alone.
    void release();

private:
    int slot_ = -1;
};

// Holds termination signals back while it lives; a signal that arrives
// meanwhile is acted on when the object is destroyed.
class TerminationSignalsBlocked {
public:
    TerminationSignalsBlocked();
    ~TerminationSignalsBlocked();
    TerminationSignalsBlocked(const TerminationSignalsBlocked&) = delete;
    TerminationSignalsBlocked& operator=(const TerminationSignalsBlocked&) = delete;

private:
    alignas(8) unsigned char saved_[128] = {};  // the previous signal mask, opaque here
};

}  // namespace ostrel::platform

#endif
