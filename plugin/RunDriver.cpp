#include "plugin/RunDriver.h"

#include "plugin/PluginException.h"
#include "plugin/RunExitCodes.h"
#include "util/CrException.h"
#include "util/FileOperations.h"
#include "util/PasswordMask.h"
#include "util/PendingNames.h"

#include <cstdio>
#include <exception>
#include <iostream>

namespace Vellamor::Plugin {

const char kInputDocumentName[] = "input.xml";
const char kOutputDocumentName[] = "output.xml";

namespace {

const char kUnexpectedParseError[] = "Unexpected error when parsing the input XML.";
const char kUnexpectedProcessError[] = "Unexpected error thrown by pipeline implementation.";

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

// Failure texts are built from several messages (a plugin's, the utility
// library's, an earlier log text), and a password may sit in any of them,
// so the whole text is masked where it leaves the program, not piece by
// piece.
void printOutputFailure(const std::string& text) noexcept {
    try {
        std::cout << ostrel::maskPasswords(text) << std::endl;
    } catch (...) {
        // Only memory can run out here; the line is lost, the exit code says
        // what failed.
    }
}

// The line for a failure the driver could not report in full because memory
// ran out while it copied a message or wrote output.xml; needs no memory.
void printDriverFailure() noexcept {
    std::fputs("Out of memory while reporting the run's failure: std::bad_alloc\n", stdout);
    std::fflush(stdout);
}

}  // namespace

RunServices productionRunServices() {
    RunServices services;
    services.createParser = [] { return std::make_unique<PipelinePluginParserImpl>(); };
    services.createSerializer = [] { return std::make_unique<PipelinePluginSerializerImpl>(); };
    services.writeFile = [](const std::string& path, const std::string& text) {
        ostrel::writeFile(path, text, true, false);
    };
    services.makeNamesDurable = [] { ostrel::makePendingNamesDurable(); };
    return services;
}

int writeOutput(const PipelinePluginContext& context, const PipelinePluginOutput& output,
                const std::string& fileName, const RunServices& services) {
    try {
        std::unique_ptr<PipelinePluginSerializer> serializer = services.createSerializer();
        services.writeFile(fileName, serializer->serialize(output, context));
        return kRunSucceeded;
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
    try {
        const LogMessage earlier = output.getLogMessage();
        LogMessage failure;
        failure.message =
            ostrel::maskPasswords(earlier.message.empty() ? message : message + "\n" + earlier.message);
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
    } catch (...) {
        printDriverFailure();
    }
    return code;
}

namespace {

// The message of a failure to make the run's names durable; empty when
// they are.
std::string namesDurableFailure(const RunServices& services) {
    if (!services.makeNamesDurable) {
        return std::string();
    }
    try {
        services.makeNamesDurable();
        return std::string();
    } catch (const ostrel::CrException& e) {
        return e.getMessage();
    } catch (const std::exception& e) {
        return e.what();
    }
}

// The three phases; codeIfDriverFails follows them, naming the code the run
// ends with should the driver's own work (building a run's objects, copying
// a failure's message) throw.
int runPhases(PipelinePlugin& plugin, const RunServices& services, int& codeIfDriverFails) {
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

    codeIfDriverFails = kProcessStandardException;
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

    codeIfDriverFails = processResult != 0 ? processResult : kWriteStandardException;
    const int writeResult = writeOutput(*run.context, *run.output, kOutputDocumentName, services);
    if (processResult != 0 || writeResult != 0) {
        return processResult != 0 ? processResult : writeResult;
    }
    // The files are replaced, but the run may report so only once their
    // names are on stable storage too.
    codeIfDriverFails = kProcessStandardException;
    const std::string failure = namesDurableFailure(services);
    if (!failure.empty()) {
        return reportFailure(*run.output, run.context.get(), failure, kProcessPluginException, services);
    }
    return 0;
}

}  // namespace

int runPipelinePlugin(PipelinePlugin& plugin, const RunServices& services) {
    // Memory can run out in the driver itself; the run then still ends with
    // the standard-exception code of the phase under way (1002, 2002, 3003),
    // or with what process returned, never by an exception nobody catches.
    int codeIfDriverFails = kReadStandardException;
    int code = 0;
    try {
        code = runPhases(plugin, services, codeIfDriverFails);
    } catch (const PluginException&) {
        throw;
    } catch (...) {
        printDriverFailure();
        code = codeIfDriverFails;
    }
    // Files replaced before a failure stay replaced after a power cut too:
    // what is still pending is flushed whatever the code, which stands.
    try {
        const std::string failure = namesDurableFailure(services);
        if (!failure.empty()) {
            printOutputFailure(failure);
            return code != 0 ? code : kProcessPluginException;
        }
    } catch (...) {
        printDriverFailure();
        return code != 0 ? code : kProcessStandardException;
    }
    return code;
}

int PipelinePlugin::run() { return runPipelinePlugin(*this, productionRunServices()); }

}  // namespace Vellamor::Plugin
