#ifndef OSTREL_PLATFORM_POSIX_PROCESSWATCH_H
#define OSTREL_PLATFORM_POSIX_PROCESSWATCH_H

#include <cstdint>
#include <functional>
#include <thread>

// Watching a child process from outside while it runs, for a progress
// display that needs nothing from the child. POSIX only (Linux: /proc).
namespace ostrel::platform {

// The bytes the process has written so far by any means (write, copy of a
// range; the "wchar" count of /proc/PID/io). Returns false with the
// system's error code in lastErrorCode() when it cannot be read (the
// process has gone, or belongs to another user).
bool queryBytesWritten(int processId, std::uint64_t& bytes);

// The sizes together of the regular files the process has open for writing
// now, but for its standard streams (its inherited standard output may be
// a log file): a file being written grows there while a single large copy
// is still under way, which the write count shows only once it is done.
// Returns false with the system's error code in lastErrorCode() when the
// process's descriptors cannot be looked at.
bool queryBytesInFilesBeingWritten(int processId, std::uint64_t& bytes);

// Whether this process's standard error is a terminal.
bool standardErrorIsTerminal();

// Runs work on a new thread that never receives a signal, so that the stop
// signals stay with the thread that passes them on to a child (see
// interceptStopSignals in util/platform/posix/Process.h).
std::thread startThreadWithoutSignals(std::function<void()> work);

}  // namespace ostrel::platform

#endif
