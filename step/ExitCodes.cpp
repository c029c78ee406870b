#include "step/ExitCodes.h"

#include "plugin/RunExitCodes.h"
#include "util/platform/posix/Process.h"
#include "util/platform/posix/StopSignals.h"

#include <vector>

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
    // The signals and their numbers are the platform's; the real-time ones,
    // which have no names of their own, are one item.
    std::vector<std::string> items;
    int firstRealTime = 0;
    int lastRealTime = 0;
    for (const int signalNumber : ostrel::platform::stopSignals()) {
        const int status = ostrel::platform::exitStatusForSignal(signalNumber);
        if (ostrel::platform::posix::isRealTimeSignal(signalNumber)) {
            firstRealTime = firstRealTime == 0 ? status : firstRealTime;
            lastRealTime = status;
        } else {
            items.push_back(std::to_string(status) + " " + ostrel::platform::signalName(signalNumber));
        }
    }
    if (firstRealTime != 0) {
        items.push_back(std::to_string(firstRealTime) + "-" + std::to_string(lastRealTime) + " the real-time signals");
    }
    std::string line;
    for (const std::string& item : items) {
        if (line.size() + item.size() + 2 > 60) {
            table += "\n           " + line + ",";
            line.clear();
        }
        line += (line.empty() ? "" : ", ") + item;
    }
    return table + "\n           " + line + "\n";
}

std::string describeHemwrightExitStatus(int status) {
    // hemwright's codes by the low 8 bits a parent sees of them.
    for (const Vellamor::Plugin::RunExitCodeMeaning& entry : Vellamor::Plugin::kRunExitCodes) {
        if ((entry.code & 0xFF) == status) {
            return entry.code == Vellamor::Plugin::kRunSucceeded
                       ? std::string(entry.meaning)
                       : std::to_string(entry.code) + ": " + entry.meaning;
        }
    }
    return "not an exit code of hemwright";
}
