#ifndef OSTREL_PLATFORM_WINDOWS_WRITERPROBE_H
#define OSTREL_PLATFORM_WINDOWS_WRITERPROBE_H

#include "util/platform/OtherWriters.h"
#include "util/platform/windows/WindowsApi.h"

#include <string>

// How the Windows file code finds out whether another process writes to a
// file, without disturbing anyone who uses it.
//
// A rewrite claims the file with an exclusive byte-range lock far past any
// data a file can hold: Windows locks are mandatory, so a lock on the data
// would block readers; this one blocks no read or write, only a second
// claim. It is given up with the handle.
//
// Whether a process has the file open for writing is asked by opening it for
// reading without sharing write access: the system refuses that open with
// ERROR_SHARING_VIOLATION exactly while a handle with write or append access
// is open (or, rarely, one that shares neither reading nor deletion). The
// probe is closed at once. Unlike a Linux lease, a writer that opens the file
// afterwards is not held back: it is seen only by asking again, or by the
// change it made (size, times, identity).
//
// What it cannot see: a process that writes through a mapped view after it
// closed its handle (the mapping keeps no sharing recorded); one that opened
// the file, wrote and closed it between the two questions without changing
// its size, write time or change time; one that opens it for writing after
// the last question, just before the rename (it then writes to the old
// file, or, without FILE_SHARE_DELETE, makes the replacement fail).
namespace ostrel::platform::windows {

// Claims the open file against other rewrites until its handle is closed.
// False with ERROR_LOCK_VIOLATION when another process holds the claim (or
// has locked the whole file); any other failure leaves the file unclaimed.
bool claimForRewrite(HANDLE file);

// None: nobody has the file at path (a system path) open for writing now;
// Present: somebody has; Unknown: the probe failed otherwise (last error
// set).
OtherWriters probeWriters(const std::wstring& path);

}  // namespace ostrel::platform::windows

#endif
