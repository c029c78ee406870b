// POSIX implementation of the stop handling of the platform seam.
#include "util/platform/StopHandling.h"

#include "util/platform/DirectoryHandle.h"
#include "util/platform/posix/HeldStopRequests.h"
#include "util/platform/posix/PosixState.h"
#include "util/platform/posix/StopSignals.h"
#include "util/platform/posix/WriteLease.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

namespace ostrel::platform {

namespace {

using posix::isStopSignal;
using posix::stopSignalSet;

// Written by the main thread, read by the handler: a slot's entry is
// complete before its flag is set, and the handler reads only slots whose
// flag is set.
constexpr std::size_t kMaxNameLength = 255;
struct Registration {
    volatile sig_atomic_t used = 0;
    int directory = -1;
    char name[kMaxNameLength + 1] = {};
};
Registration registrations[RemovalOnStop::kMaxRegistrations];

// Only async-signal-safe calls: unlinkat, sigaction, sigprocmask, raise.
void removeTemporaryFilesAndStop(int signal) {
    const int savedErrno = errno;
    for (Registration& registration : registrations) {
        if (registration.used != 0) {
            ::unlinkat(registration.directory, registration.name, 0);
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
    // Not reached: the default action of a stop signal ends the process as
    // soon as it is unblocked.
    errno = savedErrno;
}

}  // namespace

void installStopHandling() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    // A write past a file size limit then fails with EFBIG, and a write to a
    // standard output nobody reads with EPIPE, instead of ending the run.
    ::sigaction(SIGXFSZ, &ignore, nullptr);
    ::sigaction(SIGPIPE, &ignore, nullptr);
    // A lease's notice is never a request to stop, also before (or without)
    // the first lease.
    posix::installLeaseBreakHandler();

    struct sigaction cleanup {};
    cleanup.sa_handler = removeTemporaryFilesAndStop;
    cleanup.sa_mask = stopSignalSet();
    for (int signal = 1; signal < NSIG; ++signal) {
        if (!isStopSignal(signal)) {
            continue;
        }
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) == 0 && current.sa_handler == SIG_IGN) {
            continue;
        }
        ::sigaction(signal, &cleanup, nullptr);
    }
}

void RemovalOnStop::registerEntry(const DirectoryHandle& directory, const std::string& name) {
    release();
    if (name.size() > kMaxNameLength || name.find('\0') != std::string::npos) {
        return;
    }
    for (std::size_t slot = 0; slot < kMaxRegistrations; ++slot) {
        Registration& registration = registrations[slot];
        if (registration.used == 0) {
            registration.directory = posix::descriptorOf(directory);
            std::memcpy(registration.name, name.c_str(), name.size() + 1);
            std::atomic_signal_fence(std::memory_order_seq_cst);
            registration.used = 1;
            slot_ = static_cast<int>(slot);
            return;
        }
    }
}

void RemovalOnStop::release() {
    if (slot_ >= 0) {
        registrations[slot_].used = 0;
        slot_ = -1;
    }
}

namespace posix {

HeldStopRequests::HeldStopRequests() {
    const sigset_t hold = stopSignalSet();
    ::sigprocmask(SIG_BLOCK, &hold, &previous_);
}

HeldStopRequests::~HeldStopRequests() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }

}  // namespace posix

}  // namespace ostrel::platform
