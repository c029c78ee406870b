#ifndef OSTREL_PLATFORM_STOPHANDLING_H
#define OSTREL_PLATFORM_STOPHANDLING_H

#include <cstddef>
#include <string>

// How the process meets a request to stop while it writes files: part of the
// platform seam.
//
// A host or an operator that stops a step (on POSIX systems: any signal
// whose default action ends the process and that a program may catch, such
// as SIGTERM, SIGINT, SIGHUP, SIGQUIT or a CPU-time limit's SIGXCPU; on
// Windows Ctrl-C, Ctrl-Break or closing the console) makes the program
// remove the temporary files it is writing, so that nothing is left beside
// the files it was replacing, and then end as that request would have ended
// it, so that the host still sees a stopped step. Events that would
// otherwise end the program in the middle of a write (a file size limit, a
// closed standard output) make the write fail instead, and the run reports
// it; a notice that another process wants to write a file (on POSIX
// systems SIGIO) never ends the run.
namespace ostrel::platform {

class DirectoryHandle;

// Installs the behaviour above for the whole process. A stop request that
// the process was started to ignore stays ignored (a step started under
// nohup keeps its immunity). Call once, early in main; without it the
// registrations below are kept but nothing acts on them.
void installStopHandling();

// A temporary file that a stop of the process removes, from registration
// until the object is destroyed or released. Registered by
// FileHandle::createExclusive, so that no stop falls between the creation of
// the file and its registration. At most kMaxRegistrations are registered at
// a time; a further one is refused (isRegistered() false), and the file is
// then merely left behind by a stop, as by a kill. The directory it was
// registered with must stay open while it is registered.
class RemovalOnStop {
public:
    // A batch of replacements (256 files) and the few files written beside it.
    static constexpr std::size_t kMaxRegistrations = 260;

    RemovalOnStop() = default;
    ~RemovalOnStop() { release(); }
    RemovalOnStop(RemovalOnStop&& other) noexcept;
    RemovalOnStop& operator=(RemovalOnStop&& other) noexcept;
    RemovalOnStop(const RemovalOnStop&) = delete;
    RemovalOnStop& operator=(const RemovalOnStop&) = delete;

    // Registers the entry name of directory. For the platform's file code.
    void registerEntry(const DirectoryHandle& directory, const std::string& name);

    bool isRegistered() const { return slot_ >= 0; }
    // Forgets the file: a stop after this leaves it alone.
    void release();

private:
    int slot_ = -1;
};

}  // namespace ostrel::platform

#endif
