#ifndef VELLAMOR_PLUGIN_RUNEXITCODES_H
#define VELLAMOR_PLUGIN_RUNEXITCODES_H

// The exit codes of one run of a pipeline plugin as the host sees them (a
// POSIX parent sees only their low 8 bits: 1001 arrives as 233), each with
// what it means. The run driver (RunDriver.h) returns them, a plugin's main
// returns kRunEscapedDriver when a PluginException leaves the driver, and
// tools that run a plugin explain a status with kRunExitCodes. A plugin's
// own non-zero result from process is passed on as it is and is not listed.
namespace Vellamor::Plugin {

enum RunExitCode : int {
    kRunSucceeded = 0,
    kRunEscapedDriver = 1,
    kReadPluginException = 1001,
    kReadStandardException = 1002,
    kReadOtherException = 1003,
    kProcessPluginException = 2001,
    kProcessStandardException = 2002,
    kProcessOtherException = 2003,
    kWritePluginException = 3001,
    kWriteCrException = 3002,
    kWriteStandardException = 3003,
    kWriteOtherException = 3004,
};

struct RunExitCodeMeaning {
    RunExitCode code;
    const char* meaning;
};

// Every code above once, in increasing order.
inline constexpr RunExitCodeMeaning kRunExitCodes[] = {
    {kRunSucceeded, "success"},
    {kRunEscapedDriver, "a runtime failure escaped the run driver; output.xml not written"},
    {kReadPluginException, "reading input.xml failed"},
    {kReadStandardException, "reading input.xml failed with a standard library exception"},
    {kReadOtherException, "reading input.xml failed unexpectedly"},
    {kProcessPluginException, "the plugin failed"},
    {kProcessStandardException, "the plugin failed with a standard library exception"},
    {kProcessOtherException, "the plugin failed unexpectedly"},
    {kWritePluginException, "writing output.xml failed (runtime failure)"},
    {kWriteCrException, "writing output.xml failed (file system)"},
    {kWriteStandardException, "writing output.xml failed (standard library exception)"},
    {kWriteOtherException, "writing output.xml failed unexpectedly"},
};

}  // namespace Vellamor::Plugin

#endif
