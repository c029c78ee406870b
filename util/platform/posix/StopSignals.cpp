#include "util/platform/posix/StopSignals.h"

namespace ostrel::platform::posix {

bool isStopSignal(int signal) {
    switch (signal) {
        case SIGHUP:
        case SIGINT:
        case SIGQUIT:
        case SIGABRT:
        case SIGUSR1:
        case SIGUSR2:
        case SIGALRM:
        case SIGTERM:
        case SIGSTKFLT:
        case SIGXCPU:
        case SIGVTALRM:
        case SIGPROF:
        case SIGPWR:
            return true;
        default:
            return isRealTimeSignal(signal);
    }
}

bool isRealTimeSignal(int signal) { return signal >= SIGRTMIN && signal <= SIGRTMAX; }

sigset_t stopSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal = 1; signal < NSIG; ++signal) {
        if (isStopSignal(signal)) {
            sigaddset(&set, signal);
        }
    }
    return set;
}

}  // namespace ostrel::platform::posix
