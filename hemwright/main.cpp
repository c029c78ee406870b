// The executable the host starts in a prepared working directory. It reads
// no argument and no environment variable: everything comes from input.xml.
// A person's help or version request is answered, a mistyped option refused
// (see CommandLine.h).
#include "hemwright/Hemwright.h"
#include "hemwright/CommandLine.h"
#include "plugin/PluginException.h"
#include "plugin/RunExitCodes.h"
#include "util/MemoryReserve.h"
#include "util/platform/StopHandling.h"

#include <cstdio>
#include <iostream>

namespace {

// Enough for a failure's unwinding, its message and output.xml.
constexpr std::size_t kMemoryReserveBytes = 1 << 20;

// What the run driver returns for a standard library exception (here: no
// memory) while input.xml is read.
constexpr int kNoMemoryToStart = Vellamor::Plugin::kReadStandardException;

}  // namespace

int main(int argc, char* argv[]) {
    // First of all: a stopped step leaves no temporary file; a full disk or
    // a closed standard output fails a write instead of killing the run, and
    // a lease's notice is harmless from the start.
    ostrel::platform::installStopHandling();
    // Memory running out later ends the run with its exit code and
    // output.xml. Memory too short even for the reserve leaves no room for
    // either: the run ends here, before it reads or changes anything.
    if (!ostrel::setMemoryReserveAside(kMemoryReserveBytes)) {
        std::fputs("Not enough memory to start: std::bad_alloc\n", stdout);
        std::fflush(stdout);
        return kNoMemoryToStart;
    }
    if (const auto answered = answerCommandLine(argc, argv, std::cout, std::cerr)) {
        return *answered;
    }
    try {
        Hemwright plugin;
        return plugin.run();
    } catch (const Vellamor::Plugin::PluginException&) {
        return Vellamor::Plugin::kRunEscapedDriver;
    }
}
