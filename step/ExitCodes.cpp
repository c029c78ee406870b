#include "step/ExitCodes.h"

#include "util/platform/Process.h"

#include <map>

std::string stepExitCodeTable() {
    std::string table =
        "  0        hemwright succeeded (a warning included), also when standard\n"
        "           output could not be written after the run\n"
        "  1, 185-188, 209-211, 233-235\n"
        "           hemwright's own failure, as a parent sees it (for example 209\n"
        "           for 2001); its log message is printed on standard error\n"
        "  64       a fault in the command line, or a file listed twice\n"
        "  65       --prepend-file or --append-file is not UTF-8 (or holds a\n"
        "           character XML cannot carry), or a name in --files-from is\n"
        "           empty or cannot be passed to hemwright\n"
        "  66       a file cannot be read (a listed file, --prepend-file,\n"
        "           --append-file, --files-from)\n"
        "  69       hemwright cannot be found or started\n"
        "  70       any other failure of hemwright-step\n"
        "  73       a listed file cannot be replaced: its directory, an immutable\n"
        "           or append-only file, a mount point, a file open for writing,\n"
        "           or too little free space on its file system\n"
        "  74       standard output cannot be written before hemwright runs\n"
        "  128+N    hemwright ended by signal N (such as 137 for SIGKILL), or the\n"
        "           run interrupted by one of:";
    // The signals and their numbers are the platform's.
    std::string line;
    for (const int signalNumber : ostrel::platform::stopSignals()) {
        const std::string item = std::to_string(ostrel::platform::exitStatusForSignal(signalNumber)) + " " +
                                 ostrel::platform::signalName(signalNumber);
        if (line.size() + item.size() + 2 > 60) {
            table += "\n           " + line + ",";
            line.clear();
        }
        line += (line.empty() ? "" : ", ") + item;
    }
    return table + "\n           " + line + "\n";
}

std::string describeHemwrightExitStatus(int status) {
    // hemwright's codes and the low 8 bits a parent sees of them.
    static const std::map<int, std::string> meanings = {
        {0, "success"},
        {1, "1: a runtime failure escaped the run driver; output.xml not written"},
        {1001 & 0xFF, "1001: reading input.xml failed"},
        {1002 & 0xFF, "1002: reading input.xml failed with a standard library exception"},
        {1003 & 0xFF, "1003: reading input.xml failed unexpectedly"},
        {2001 & 0xFF, "2001: the plugin failed"},
        {2002 & 0xFF, "2002: the plugin failed with a standard library exception"},
        {2003 & 0xFF, "2003: the plugin failed unexpectedly"},
        {3001 & 0xFF, "3001: writing output.xml failed (runtime failure)"},
        {3002 & 0xFF, "3002: writing output.xml failed (file system)"},
        {3003 & 0xFF, "3003: writing output.xml failed (standard library exception)"},
        {3004 & 0xFF, "3004: writing output.xml failed unexpectedly"},
    };
    const auto found = meanings.find(status);
    return found != meanings.end() ? found->second : "not an exit code of hemwright";
}
