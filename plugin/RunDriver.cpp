#include "plugin/RunDriver.h"

#include "plugin/PluginException.h"
#include "util/CrException.h"
#include "util/FileOperations.h"

#include <exception>
#include <iostream>

namespace Vellamor::Plugin {

const char kInputDocumentName[] = "input.xml";
const char kOutputDocumentName[] = "output.xml";

namespace {

const char kUnexpectedParseError[] = "Unexpected error when parsing the input XML.";
const char kUnexpectedProcessError[] = "Unexpected error thrown by pipeline implementation.";

enum ExitCode : int {
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

// The objects of one run, destroyed in the order output, input, context on
// every path.
struct RunObjects {
    std::unique_ptr<PipelinePluginOutput> output = std::make_unique<PipelinePluginOutputImpl>();
    std::unique_ptr<PipelinePluginInput> input;
    std::unique_ptr<PipelinePluginContext> context;

    ~RunObjects() {
        output.reset();
        input.reset();
        context.reset();
    }
};

void printOutputFailure(const std::string& text) { std::cout << text << std::endl; }

}  // namespace

RunServices productionRunServices() {
    RunServices services;
    services.createParser = [] { return std::make_unique<PipelinePluginParserImpl>(); };
    services.createSerializer = [] { return std::make_unique<PipelinePluginSerializerImpl>(); };
    services.writeFile = [](const std::string& path, const std::string& text) {
        ostrel::writeFile(path, text, true, false);
    };
    return services;
}

int writeOutput(const PipelinePluginContext& context, const PipelinePluginOutput& output,
                const std::string& fileName, const RunServices& services) {
    try {
        std::unique_ptr<PipelinePluginSerializer> serializer = services.createSerializer();
        services.writeFile(fileName, serializer->serialize(output, context));
        return 0;
    } catch (const PluginException& e) {
        printOutputFailure(e.getMessage());
        return kWritePluginException;
    } catch (const ostrel::CrException& e) {
        printOutputFailure(e.getMessage());
        return kWriteCrException;
    } catch (const std::exception& e) {
        printOutputFailure(e.what());
        return kWriteStandardException;
    } catch (...) {
        printOutputFailure("Unexpected error while writing output XML to file \"" + fileName + "\".");
        return kWriteOtherException;
    }
}

int reportFailure(PipelinePluginOutput& output, const PipelinePluginContext* context,
                  const std::string& message, int code, const RunServices& services) {
    const LogMessage earlier = output.getLogMessage();
    LogMessage failure;
    failure.message = earlier.message.empty() ? message : message + "\n" + earlier.message;
    failure.severity = Error;
    output.setLogMessage(failure);

    // The write's own failure shows only on standard output: the phase that
    // failed first decides the exit code.
    if (context != nullptr) {
        writeOutput(*context, output, kOutputDocumentName, services);
    } else {
        const PipelinePluginContextImpl emptyContext;
        writeOutput(emptyContext, output, kOutputDocumentName, services);
    }
    return code;
}

int runPipelinePlugin(PipelinePlugin& plugin, const RunServices& services) {
    RunObjects run;

    try {
        std::unique_ptr<PipelinePluginParser> parser = services.createParser();
        ParsedInput parsed = parser->parse(kInputDocumentName);
        run.input = std::move(parsed.first);
        run.context = std::move(parsed.second);
    } catch (const PluginException& e) {
        return reportFailure(*run.output, nullptr, e.getMessage(), kReadPluginException, services);
    } catch (const std::exception& e) {
        return reportFailure(*run.output, nullptr, e.what(), kReadStandardException, services);
    } catch (...) {
        return reportFailure(*run.output, nullptr, kUnexpectedParseError, kReadOtherException, services);
    }

    int processResult = 0;
    try {
        processResult = plugin.process(*run.input, *run.output, *run.context);
    } catch (const PluginException& e) {
        return reportFailure(*run.output, run.context.get(), e.getMessage(), kProcessPluginException, services);
    } catch (const std::exception& e) {
        return reportFailure(*run.output, run.context.get(), e.what(), kProcessStandardException, services);
    } catch (...) {
        return reportFailure(*run.output, run.context.get(), kUnexpectedProcessError, kProcessOtherException,
                             services);
    }

    const int writeResult = writeOutput(*run.context, *run.output, kOutputDocumentName, services);
    return processResult != 0 ? processResult : writeResult;
}

int PipelinePlugin::run() { return runPipelinePlugin(*this, productionRunServices()); }

}  // namespace Vellamor::Plugin
