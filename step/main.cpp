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

#include <iostream>
#include <stdexcept>

namespace {

// Reports every problem of the files on standard error; returns the exit
// code, or 0 when there is none.
int reportFileProblems(const StepOptions& options) {
    const std::vector<FileProblem> problems = checkStepFiles(options.files, options.allowRepeats);
    if (problems.empty()) return 0;
    for (const FileProblem& problem : problems) {
        std::cerr << "hemwright-step: " << problem.message << "\n";
    }
    std::cerr << "hemwright-step: nothing was changed.\n";
    return exitCodeForProblems(problems);
}

// A failed step's reason goes to standard error as well as into the summary.
void reportFailedStep(const ProcessStatus& status, const RunLog& log) {
    if (status.exited && status.exitStatus == 0) return;
    std::cerr << "hemwright-step: hemwright failed: "
              << (status.exited ? "exit code " + std::to_string(status.exitStatus) + " (" +
                                      describeHemwrightExitStatus(status.exitStatus) + ")"
                                : "ended by " + ostrel::platform::signalName(status.signalNumber))
              << "\n";
    if (log.state == RunLog::State::Message) {
        std::cerr << "hemwright-step: " << log.severity << ": " << log.message << "\n";
    }
}

// Runs hemwright on the files and prints the summary; returns hemwright's
// exit status (or 128 + the signal that ended it or interrupted the run, as
// shells do).
int runStep(const StepOptions& options) {
    // From here on SIGINT and SIGTERM are passed on to hemwright and end this
    // tool only through the report below, so the working directory goes.
    ostrel::platform::interceptStopSignals();
    if (const int code = reportFileProblems(options)) return code;
    const std::string executable = findHemwrightExecutable(options.hemwright);
    std::vector<FileRecord> files;
    for (const StepFile& file : options.files) files.push_back(recordBeforeRun(file));

    TemporaryWorkingDirectory directory;
    if (options.keep) {
        directory.keep();
        printResult("working directory (kept): " + printableName(directory.path()) + "\n");
    }
    writeInputDocument(options, directory.path());
    const ProcessStatus status = runInDirectory(executable, directory.path());
    for (FileRecord& file : files) recordAfterRun(file);

    if (const int stopSignal = ostrel::platform::receivedStopSignal()) {
        std::cerr << formatInterruptedRun(stopSignal, status, files);
        return kSignalExitBase + stopSignal;
    }
    const RunLog log = readRunLog(directory.path() + "/output.xml");
    reportFailedStep(status, log);
    printResult(formatStepSummary(status, log, files));
    return status.exited ? status.exitStatus : kSignalExitBase + status.signalNumber;
}

int dryRun(const StepOptions& options) {
    if (const int code = reportFileProblems(options)) return code;
    return printDryRun(options);
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
    // A result that cannot be delivered is reported (exit code 74), also
    // when standard output is a pipe whose reader has gone.
    ostrel::platform::reportBrokenPipesAsErrors();
    try {
        return runTool(argc, argv);
    } catch (const UsageError& error) {
        std::cerr << "hemwright-step: " << error.what() << "\n\n" << stepUsageText();
        return error.exitCode();
    } catch (const StepFailure& error) {
        std::cerr << "hemwright-step: " << error.what() << "\n";
        return error.exitCode();
    } catch (const std::exception& error) {
        std::cerr << "hemwright-step: " << error.what() << "\n";
        return kSoftwareExitCode;
    }
}
