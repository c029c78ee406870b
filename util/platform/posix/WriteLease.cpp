#include "util/platform/posix/WriteLease.h"

#include <fcntl.h>
#include <signal.h>

#include <cerrno>

namespace ostrel::platform::posix {

namespace {

// The state of the lease is asked with F_GETLEASE, so the notice itself
// needs no action.
void takeNoticeOfLeaseBreaks(int) {}

}  // namespace

void installLeaseBreakHandler() {
    static const bool installed = [] {
        struct sigaction action {};
        action.sa_handler = takeNoticeOfLeaseBreaks;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGIO, &action, nullptr) == 0;
    }();
    (void)installed;
}

OtherWriters takeReadLease(int descriptor) {
    installLeaseBreakHandler();
    if (::fcntl(descriptor, F_SETLEASE, F_RDLCK) == 0) {
        return OtherWriters::None;
    }
    return errno == EAGAIN ? OtherWriters::Present : OtherWriters::Unknown;
}

bool leaseBroken(int descriptor) {
    // While a writer waits, the lease reports the type it is being broken
    // to (none, for a writer) instead of the read lease that was granted.
    return ::fcntl(descriptor, F_GETLEASE) != F_RDLCK;
}

void releaseLease(int descriptor) { ::fcntl(descriptor, F_SETLEASE, F_UNLCK); }

}  // namespace ostrel::platform::posix
