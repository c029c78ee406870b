#ifndef OSTREL_PLATFORM_WINDOWS_HELDSTOPREQUESTS_H
#define OSTREL_PLATFORM_WINDOWS_HELDSTOPREQUESTS_H

// Holds a stop request (Ctrl-C, Ctrl-Break, closing the console) back while
// it lives: the console control handler runs on a thread of its own and
// waits for this object before it removes temporary files and lets the
// process end. The file code holds it while a temporary file is in a state a
// stop must not meet half-way: from its creation until it is marked
// delete-pending, and from the clearing of that mark until it is in place.
// Held by one thread; may be nested.
namespace ostrel::platform::windows {

class HeldStopRequests {
public:
    HeldStopRequests();
    ~HeldStopRequests();
    HeldStopRequests(const HeldStopRequests&) = delete;
    HeldStopRequests& operator=(const HeldStopRequests&) = delete;
};

}  // namespace ostrel::platform::windows

#endif
