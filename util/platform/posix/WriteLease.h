#ifndef OSTREL_PLATFORM_POSIX_WRITELEASE_H
#define OSTREL_PLATFORM_POSIX_WRITELEASE_H

#include "util/platform/OtherWriters.h"

// How the POSIX file code finds out whether another process writes to a file:
// a read lease (fcntl F_SETLEASE, F_RDLCK) on a descriptor opened for
// reading is refused with EAGAIN exactly while some process (this one
// included) has the file open for writing. While the lease is held, another
// process's open for writing waits until the lease is given up (or the
// system's lease-break time passes) and this process is told by a signal,
// which here only marks the lease as broken.
namespace ostrel::platform::posix {

// Makes the lease-break notice, SIGIO, whose default action ends the
// process, harmless from now on: a notice that arrives at any moment, a
// stray one before any lease included, never ends the run. A handler (not
// SIG_IGN) is installed, so that a program this process starts later gets the
// default again. Done once; installStopHandling() and takeReadLease() call it.
void installLeaseBreakHandler();

// Takes a read lease on descriptor. None: granted (held until
// releaseLease() or the descriptor is closed); Present: a writer has the file
// open; Unknown: the system grants no lease here (the process neither owns
// the file nor has the privilege, or the file system has no leases), with
// errno set.
OtherWriters takeReadLease(int descriptor);

// Whether a writer has asked for the file since takeReadLease() returned
// None: the lease is being broken and the writer waits for it.
bool leaseBroken(int descriptor);

// Gives the lease up, letting a waiting writer go on.
void releaseLease(int descriptor);

}  // namespace ostrel::platform::posix

#endif
