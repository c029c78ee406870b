#include "step/ExitCodes.h"

#include <map>

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
