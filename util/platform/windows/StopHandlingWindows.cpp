// Windows implementation of the stop handling of the platform seam.
//
// The temporary files of a rewrite are delete-pending from their creation
// until they are put in place (WindowsFileSystem.cpp): the system removes
// them when the process ends, however it ends, a kill included. A stop
// therefore needs no list of files; RemovalOnStop registers a file only
// where the system refused the delete-pending mark, and the handler removes
// those by name.
//
// Ctrl-C, Ctrl-Break and closing the console reach the console control
// handler on a thread of its own, while the main thread goes on. The
// handler waits until no temporary file is between states (HeldStopRequests),
// removes the registered files and ends the process as the system's default
// handler would have: ExitProcess with STATUS_CONTROL_C_EXIT. (It does so
// itself: Wine's default handler ends the process with 0, which a host would
// read as success.) A process started with
// Ctrl-C disabled (CREATE_NEW_PROCESS_GROUP, or a parent that ignores it)
// never sees Ctrl-C here either: the system does not call handlers for it.
// Logoff and shutdown events are left to the default handler alone: a
// process started by a service must not stop when some user logs off, and
// the delete-pending files go with the process when it does end.
#include "util/platform/StopHandling.h"

#include "util/platform/DirectoryHandle.h"
#include "util/platform/windows/HeldStopRequests.h"
#include "util/platform/windows/WidePath.h"
#include "util/platform/windows/WindowsState.h"

#include <string>

namespace ostrel::platform {

namespace {

// Made on first use and never destroyed: the handler may run while the
// process ends.
CRITICAL_SECTION& stopLock() {
    static CRITICAL_SECTION* const section = [] {
        auto* made = new CRITICAL_SECTION;
        InitializeCriticalSection(made);
        return made;
    }();
    return *section;
}

// Guarded by stopLock().
struct Registration {
    bool used = false;
    std::wstring path;
};
Registration* registrations() {
    static Registration* const made = new Registration[RemovalOnStop::kMaxRegistrations];
    return made;
}

BOOL WINAPI removeTemporaryFilesAndStop(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) {
        return FALSE;
    }
    // Never left again: the process ends while this thread holds the lock,
    // so the main thread starts no further step that a stop must not meet.
    // (Other threads end with the process; the delete-pending files go as
    // their handles close.)
    EnterCriticalSection(&stopLock());
    Registration* const slots = registrations();
    for (std::size_t slot = 0; slot < RemovalOnStop::kMaxRegistrations; ++slot) {
        if (slots[slot].used) {
            DeleteFileW(slots[slot].path.c_str());
        }
    }
    ExitProcess(STATUS_CONTROL_C_EXIT);
}

}  // namespace

void installStopHandling() {
    // Both exist before a handler can run.
    stopLock();
    registrations();
    // A drive without its medium or a failing network path fails the call
    // that touches it instead of waiting for an answer to a message box that
    // a host running without a desktop never shows.
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS);
    SetConsoleCtrlHandler(removeTemporaryFilesAndStop, TRUE);
}

void RemovalOnStop::registerEntry(const DirectoryHandle& directory, const std::string& name) {
    release();
    const DirectoryState* state = directory.state();
    std::wstring path;
    if (state == nullptr || !windows::entryPathOf(state->path, name, path)) {
        return;
    }
    const windows::HeldStopRequests held;
    Registration* const slots = registrations();
    for (std::size_t slot = 0; slot < kMaxRegistrations; ++slot) {
        if (!slots[slot].used) {
            slots[slot].path = std::move(path);
            slots[slot].used = true;
            slot_ = static_cast<int>(slot);
            return;
        }
    }
}

void RemovalOnStop::release() {
    if (slot_ >= 0) {
        const windows::HeldStopRequests held;
        registrations()[slot_].used = false;
        slot_ = -1;
    }
}

namespace windows {

HeldStopRequests::HeldStopRequests() { EnterCriticalSection(&stopLock()); }

HeldStopRequests::~HeldStopRequests() { LeaveCriticalSection(&stopLock()); }

}  // namespace windows

}  // namespace ostrel::platform
