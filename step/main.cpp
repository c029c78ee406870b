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
#include "step/RunProgress.h"
#include "step/RunLog.h"
#include "step/StepOptions.h"
#include "step/StepSummary.h"
#include "step/TemporaryWorkingDirectory.h"
#include "util/platform/posix/Process.h"
#include "util/platform/posix/ProcessWatch.h"
#include "util/platform/posix/WriteLease.h"

#include <iostream>
#include <stdexcept>

namespace platform = ostrel::platform;

namespace {

// Checks the files and reports on standard error, in one pass, every
// problem and every warning (none where the step would add nothing). Returns
// the exit code for the problems (0: none); counts the warnings printed.
int reportFileChecks(const StepOptions& options, FileCheckResults& results, std::size_t& warnings) {
    results = checkStepFiles(options);
    for (const FileProblem& problem : results.problems) {
        std::cerr << "hemwright-step: " << problem.message << "\n";
    }
    // With nothing to add, hemwright replaces no file: nothing to warn of.
    if (bytesHemwrightWouldAdd(options)) {
        for (const std::string& warning : results.warnings) std::cerr << "hemwright-step: warning: " << warning << "\n";
        warnings = results.warnings.size();
    }
    if (results.problems.empty()) return 0;
    std::cerr << "hemwright-step: nothing was changed.\n";
    return exitCodeForProblems(results.problems);
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
    FileCheckResults checks;
    if (const int code = reportFileChecks(options, checks, warnings)) return code;
    const std::string executable = findHemwrightExecutable(options.hemwright);
    // The files left alone are not given to hemwright at all.
    StepOptions toRun = options;
    SummaryExtras extras;
    extras.quiet = options.quiet;
    extras.skipStamped = options.skipStamped;
    extras.warnings = warnings;
    toRun.files.clear();
    for (std::size_t index = 0; index < options.files.size(); ++index) {
        if (checks.stamped[index]) {
            extras.skipped.push_back(options.files[index].path);
        } else {
            toRun.files.push_back(options.files[index]);
        }
    }
    if (toRun.files.empty()) {
        printResult(formatStepSummary(ProcessStatus(), RunLog(), {}, extras));
        return 0;
    }
    std::vector<FileRecord> files;
    for (const StepFile& file : toRun.files) files.push_back(recordBeforeRun(file));

    TemporaryWorkingDirectory directory;
    if (options.keep) {
        printResult("working directory (kept): " + printableName(directory.path()) + "\n");
        directory.keep();
    }
    writeInputDocument(toRun, directory.path());
    ProcessStatus status;
    {
        const std::optional<AddedText> added = bytesHemwrightWouldAdd(toRun);
        RunProgress progress(files, added ? added->prefix.size() + added->suffix.size() : 0,
                             !options.quiet && platform::standardErrorIsTerminal());
        status = runInDirectory(executable, directory.path(),
                                [&progress](int processId) { progress.started(processId); });
    }
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
        printResult(formatStepSummary(status, log, files, extras));
    } catch (const StepFailure& failure) {
        std::cerr << "hemwright-step: " << failure.what() << " The run itself is complete; the exit code, "
                  << code << ", is hemwright's.\n";
    }
    return code;
}

int dryRun(const StepOptions& options) {
    std::size_t warnings = 0;
    FileCheckResults checks;
    if (const int code = reportFileChecks(options, checks, warnings)) return code;
    printDryRun(options, checks.stamped, warnings);
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
