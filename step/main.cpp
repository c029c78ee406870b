// hemwright-step: tries a step without the host. It checks the files, writes
// the input.xml the host would write into a fresh working directory, runs
// hemwright there on the given files and prints what happened. Exit codes:
// step/ExitCodes.h.
#include "step/DryRunPreview.h"
#include "step/ExitCodes.h"
#include "step/FileChecks.h"
#include "step/HemwrightProcess.h"
#include "step/InputDocumentWriter.h"
#include "step/PrintableName.h"
#include "step/ResultOutput.h"
#include "step/RunLog.h"
#include "step/StepOptions.h"
#include "step/StepSummary.h"
#include "step/TemporaryWorkingDirectory.h"
#include "util/platform/Process.h"
#include "util/platform/posix/WriteLease.h"

#include <iostream>
#include <stdexcept>

namespace platform = ostrel::platform;

namespace {

// Checks the files and reports on standard error every problem, or, when
// there is none and the step would change files, every warning. Returns the
// exit code for the problems (0: none) and counts the warnings printed.
int reportFileChecks(const StepOptions& options, std::size_t& warnings) {
    const FileCheckResults results = checkStepFiles(options.files, options.allowRepeats);
    if (!results.problems.empty()) {
        for (const FileProblem& problem : results.problems) {
            std::cerr << "hemwright-step: " << problem.message << "\n";
        }
        std::cerr << "hemwright-step: nothing was changed.\n";
        return exitCodeForProblems(results.problems);
    }
    // With nothing to add, hemwright replaces no file: nothing to warn of.
    if (!bytesHemwrightWouldAdd(options)) return 0;
    for (const std::string& warning : results.warnings) std::cerr << "hemwright-step: warning: " << warning << "\n";
    warnings = results.warnings.size();
    return 0;
}

// A failed step's reason goes to standard error as well as into the summary.
void reportFailedStep(const ProcessStatus& status, const RunLog& log) {
    if (status.exited && status.exitStatus == 0) return;
    std::cerr << "hemwright-step: hemwright failed: "
              << (status.exited ? "exit code " + std::to_string(status.exitStatus) + " (" +
                                      describeHemwrightExitStatus(status.exitStatus) + ")"
                                : "ended by " + platform::signalName(status.signalNumber))
              << "\n";
    if (log.state == RunLog::State::Message) {
        std::cerr << "hemwright-step: " << log.severity << ": " << log.message << "\n";
    }
}

// Runs hemwright on the files and prints the summary; returns hemwright's
// exit status (or the status a shell gives for the signal that ended it or
// interrupted the run).
int runStep(const StepOptions& options) {
    // From here on the stop signals are passed on to hemwright and end this
    // tool only through the report below, so the working directory goes.
    platform::interceptStopSignals();
    std::size_t warnings = 0;
    if (const int code = reportFileChecks(options, warnings)) return code;
    const std::string executable = findHemwrightExecutable(options.hemwright);
    std::vector<FileRecord> files;
    for (const StepFile& file : options.files) files.push_back(recordBeforeRun(file));

    TemporaryWorkingDirectory directory;
    if (options.keep) {
        printResult("working directory (kept): " + printableName(directory.path()) + "\n");
        directory.keep();
    }
    writeInputDocument(options, directory.path());
    const ProcessStatus status = runInDirectory(executable, directory.path());
    for (FileRecord& file : files) recordAfterRun(file);

    if (const int stopSignal = platform::receivedStopSignal()) {
        std::cerr << formatInterruptedRun(stopSignal, status, files);
        return platform::exitStatusForSignal(stopSignal);
    }
    const RunLog log = readRunLog(directory.path() + "/output.xml");
    reportFailedStep(status, log);
    const int code = status.exited ? status.exitStatus : platform::exitStatusForSignal(status.signalNumber);
    // The exit code tells what became of the files; a reader of the summary
    // that has gone (| head) must not make a complete run look failed, or
    // the operator runs it again and stamps the files twice.
    try {
        printResult(formatStepSummary(status, log, files));
    } catch (const StepFailure& failure) {
        std::cerr << "hemwright-step: " << failure.what() << " The run itself is complete; the exit code, "
                  << code << ", is hemwright's.\n";
    }
    return code;
}

int dryRun(const StepOptions& options) {
    std::size_t warnings = 0;
    if (const int code = reportFileChecks(options, warnings)) return code;
    if (options.addLineBreak && !options.lineBreakStyle && bytesHemwrightWouldAdd(options)) {
        std::cerr << "hemwright-step: warning: --add-line-break without --line-break-style: the line break after "
                     "the prefix is CR LF (\\r\\n), on every system\n";
        ++warnings;
    }
    printDryRun(options, warnings);
    return 0;
}

int runTool(int argc, char* argv[]) {
    const StepOptions options = parseStepOptions(argc, argv);
    switch (options.action) {
        case StepOptions::Action::ShowHelp: printResult(stepUsageText()); return 0;
        case StepOptions::Action::ShowVersion: printResult("hemwright-step " HEMWRIGHT_VERSION "\n"); return 0;
        case StepOptions::Action::DryRun: return dryRun(options);
        case StepOptions::Action::Run: return runStep(options);
    }
    return kSoftwareExitCode;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The leases the checks take are told of writers by a signal that would
    // otherwise end the tool; a stray one before the first lease too.
    platform::posix::installLeaseBreakHandler();
    // A result that cannot be delivered is reported, also when standard
    // output is a pipe whose reader has gone.
    platform::reportBrokenPipesAsErrors();
    try {
        return runTool(argc, argv);
    } catch (const UsageError& error) {
        std::cerr << "hemwright-step: " << error.what() << "\nTry 'hemwright-step --help'.\n";
        return error.exitCode();
    } catch (const StepFailure& error) {
        std::cerr << "hemwright-step: " << error.what() << "\n";
        return error.exitCode();
    } catch (const std::exception& error) {
        std::cerr << "hemwright-step: " << error.what() << "\n";
        return kSoftwareExitCode;
    }
}
