#ifndef OSTREL_PLATFORM_POSIX_HELDSTOPREQUESTS_H
#define OSTREL_PLATFORM_POSIX_HELDSTOPREQUESTS_H

#include <signal.h>

// Holds the signals that stop the program (those installStopHandling
// acts on) back while it lives; one that arrives meanwhile is acted on when
// the object is destroyed. The POSIX file code creates a temporary file and
// registers it for removal under it.
namespace ostrel::platform::posix {

class HeldStopRequests {
public:
    HeldStopRequests();
    ~HeldStopRequests();
    HeldStopRequests(const HeldStopRequests&) = delete;
    HeldStopRequests& operator=(const HeldStopRequests&) = delete;

private:
    sigset_t previous_;
};

}  // namespace ostrel::platform::posix

#endif
