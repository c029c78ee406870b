#ifndef VELLAMOR_PLUGIN_RUNDRIVER_H
#define VELLAMOR_PLUGIN_RUNDRIVER_H

#include "plugin/PipelinePlugin.h"
#include "plugin/PipelinePluginParser.h"
#include "plugin/PipelinePluginSerializer.h"

#include <functional>
#include <memory>
#include <string>

// The run driver behind PipelinePlugin::run: one call of the host through its
// three phases (read "input.xml", process, write "output.xml"), with every
// failure turned into the output's log message and an exit code
// (RunExitCodes.h):
//
//   0           process returned 0 and output.xml was written
//   other       process returned it (output.xml written all the same)
//   1001..1003  reading the input threw a PluginException / std::exception /
//               anything else
//   2001..2003  process threw a PluginException / std::exception / anything
//               else
//   3001..3004  process returned 0, then writing output.xml threw a
//               PluginException / CrException / std::exception / anything
//               else; the message goes to standard output
//
// Should the driver's own work throw (memory running out while it builds a
// run's objects or copies a failure's message), the run ends with 1002, 2002
// or 3003 for the phase under way (or with process's non-zero result), a
// line on standard output and output.xml possibly missing; only a
// PluginException leaves runPipelinePlugin.
namespace Vellamor::Plugin {

extern const char kInputDocumentName[];   // "input.xml"
extern const char kOutputDocumentName[];  // "output.xml"

// The collaborators of a run. Production code uses productionRunServices(),
// which creates a PipelinePluginParserImpl, a PipelinePluginSerializerImpl
// and writes with ostrel::writeFile; tests substitute doubles.
struct RunServices {
    std::function<std::unique_ptr<PipelinePluginParser>()> createParser;
    std::function<std::unique_ptr<PipelinePluginSerializer>()> createSerializer;
    // Replaces the file at path with text; throws on failure.
    std::function<void(const std::string& path, const std::string& text)> writeFile;
    // Makes durable every name the run put in place and has not flushed
    // yet (ostrel::makePendingNamesDurable); throws on failure. Empty: none.
    std::function<void()> makeNamesDurable;
};

RunServices productionRunServices();

// Runs plugin once as the host calls it and returns the exit code. Before
// it returns, on every path, the names the run put in place are made
// durable (services.makeNamesDurable): when that fails after a successful
// run, the run fails with the process phase's code (2001) and output.xml
// says why; after a failure, the earlier code stands and the failure shows
// on standard output.
int runPipelinePlugin(PipelinePlugin& plugin, const RunServices& services);

// Renders output and context and writes them to fileName. Returns 0, or
// 3001..3004 after printing the failure, passwords masked, as one line on
// standard output.
int writeOutput(const PipelinePluginContext& context, const PipelinePluginOutput& output,
                const std::string& fileName, const RunServices& services);

// Puts message in front of the output's log text (separated by a line feed)
// with severity Error, the value of every "PWD=" key in the whole text masked
// (ostrel::maskPasswords), writes output.xml with context (or, when the input
// could not be read and context is null, with an empty default context) and
// returns code whatever the write gave (also when memory runs out on the
// way; a line on standard output then says so).
int reportFailure(PipelinePluginOutput& output, const PipelinePluginContext* context,
                  const std::string& message, int code, const RunServices& services);

}  // namespace Vellamor::Plugin

#endif
