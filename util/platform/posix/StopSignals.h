#ifndef OSTREL_PLATFORM_POSIX_STOPSIGNALS_H
#define OSTREL_PLATFORM_POSIX_STOPSIGNALS_H

#include <signal.h>

// The signals that ask the program to stop: every signal that ends the
// process by default and may be caught, but those the program meets
// otherwise. SIGPIPE and SIGXFSZ are ignored (the write fails instead),
// SIGIO tells of a writer waiting for a file being rewritten, and the
// signals of a fault in the program itself (SIGSEGV, SIGBUS, SIGILL, SIGFPE,
// SIGTRAP, SIGSYS) are left to their default (and to the sanitizers'
// reports). The program removes its temporary files on each of them
// (installStopHandling), and the step tool passes each on to the program it
// runs (interceptStopSignals), so the two always agree.
namespace ostrel::platform::posix {

// SIGHUP, SIGINT, SIGQUIT, SIGABRT, SIGUSR1, SIGUSR2, SIGALRM, SIGTERM,
// SIGSTKFLT, SIGXCPU, SIGVTALRM, SIGPROF, SIGPWR and the real-time signals
// (SIGRTMIN to SIGRTMAX).
bool isStopSignal(int signal);

// Whether the signal is one of the real-time signals (SIGRTMIN to SIGRTMAX,
// numbers the system sets at run time), which have no names of their own.
bool isRealTimeSignal(int signal);

// All of them as a set, for a signal mask.
sigset_t stopSignalSet();

}  // namespace ostrel::platform::posix

#endif
