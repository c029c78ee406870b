#ifndef OSTREL_PENDINGNAMES_H
#define OSTREL_PENDINGNAMES_H

#include <memory>
#include <vector>

#include "util/platform/DirectoryHandle.h"

namespace ostrel {

// The directories in which this process put a file in place (a rename) and
// whose names are not yet known to be on stable storage. A replacement adds
// its directory here; a later flush of a whole file system may cover some
// (ReplacementBatch folds them into its own), and makePendingNamesDurable
// flushes the rest before the run ends, so that a power cut after the run
// keeps every name it reported. One thread; the list lives to the end of
// the process, and each directory stays open while it is listed.
void addPendingNames(std::shared_ptr<const platform::DirectoryHandle> directory);

// The listed directories, for FileSystem::makeDurable.
std::vector<const platform::DirectoryHandle*> pendingNames();

// Forgets every listed directory that is not in stillPending: a flush made
// its names durable.
void keepPendingNames(const std::vector<const platform::DirectoryHandle*>& stillPending);

// Makes the names of directory durable now and drops it from the list.
// False, with the system's code in platform::lastErrorCode(), when it could
// not be flushed (it is dropped all the same: the failure is reported once).
bool makeNamesDurableNow(const platform::DirectoryHandle& directory);

// Makes the names of every listed directory durable and empties the list.
// Throws CrException (E_FAIL) naming the first directory that could not be
// flushed, with the system's reason, after trying them all: "Failed to flush
// the directory 'D' to disk; the files put in place there are replaced but
// not known to be on disk. Reason: ...".
void makePendingNamesDurable();

}  // namespace ostrel

#endif
