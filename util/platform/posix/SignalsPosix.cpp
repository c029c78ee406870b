// POSIX implementation of the signal handling of the platform seam.
#include "util/platform/Signals.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace ostrel::platform {

namespace {

constexpr int kTerminationSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr std::size_t kMaxPathLength = 4096;

// Written by the main thread, read by the handler: a slot's path is complete
// before its flag is set, and the handler reads only slots whose flag is set.
struct Registration {
    volatile sig_atomic_t used = 0;
    char path[kMaxPathLength + 1] = {};
};
Registration registrations[TerminationCleanup::kMaxRegistrations];

sigset_t terminationSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kTerminationSignals) {
        sigaddset(&set, signal);
    }
    return set;
}

// Only async-signal-safe calls: unlink, sigaction, sigprocmask, raise.
void removeTemporaryFilesAndEnd(int signal) {
    const int savedErrno = errno;
    for (Registration& registration : registrations) {
        if (registration.used != 0) {
            ::unlink(registration.path);
        }
    }
    struct sigaction defaultAction {};
    defaultAction.sa_handler = SIG_DFL;
    sigemptyset(&defaultAction.sa_mask);
    ::sigaction(signal, &defaultAction, nullptr);
    sigset_t thisSignal;
    sigemptyset(&thisSignal);
    sigaddset(&thisSignal, signal);
    ::raise(signal);
    ::sigprocmask(SIG_UNBLOCK, &thisSignal, nullptr);
    // Not reached: the default action of a termination signal ends the
    // process as soon as it is unblocked.
    errno = savedErrno;
}

}  // namespace

void installSignalHandling() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    // A write past a file size limit then fails with EFBIG, and a write to a
    // standard output nobody reads with EPIPE, instead of killing the run.
    ::sigaction(SIGXFSZ, &ignore, nullptr);
    ::sigaction(SIGPIPE, &ignore, nullptr);

    struct sigaction cleanup {};
    cleanup.sa_handler = removeTemporaryFilesAndEnd;
    cleanup.sa_mask = terminationSignalSet();
    for (const int signal : kTerminationSignals) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
            continue;
        }
        ::sigaction(signal, &cleanup, nullptr);
    }
}

TerminationCleanup::TerminationCleanup(const std::string& path) {
    if (path.size() > kMaxPathLength || path.find('\0') != std::string::npos) {
        return;
    }
    for (std::size_t slot = 0; slot < kMaxRegistrations; ++slot) {
        Registration& registration = registrations[slot];
        if (registration.used == 0) {
            std::memcpy(registration.path, path.c_str(), path.size() + 1);
            std::atomic_signal_fence(std::memory_order_seq_cst);
            registration.used = 1;
            slot_ = static_cast<int>(slot);
            return;
        }
    }
}

TerminationCleanup::TerminationCleanup(TerminationCleanup&& other) noexcept : slot_(other.slot_) {
    other.slot_ = -1;
}

TerminationCleanup& TerminationCleanup::operator=(TerminationCleanup&& other) noexcept {
    if (this != &other) {
        release();
        slot_ = other.slot_;
        other.slot_ = -1;
    }
    return *this;
}

void TerminationCleanup::release() {
    if (slot_ >= 0) {
        registrations[slot_].used = 0;
        slot_ = -1;
    }
}

TerminationSignalsBlocked::TerminationSignalsBlocked() {
    static_assert(sizeof(sigset_t) <= sizeof(saved_), "the saved mask must fit");
    const sigset_t block = terminationSignalSet();
    ::sigprocmask(SIG_BLOCK, &block, reinterpret_cast<sigset_t*>(saved_));
}

TerminationSignalsBlocked::~TerminationSignalsBlocked() {
    ::sigprocmask(SIG_SETMASK, reinterpret_cast<const sigset_t*>(saved_), nullptr);
}

}  // namespace ostrel::platform
