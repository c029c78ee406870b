// hemwright-step: tries a step without the host. It writes the input.xml the
// host would write into a fresh working directory, runs hemwright there on
// the given files and prints what happened. Exit codes: step/ExitCodes.h.
#include "step/DryRunPreview.h"
#include "step/ExitCodes.h"
#include "step/HemwrightProcess.h"
#include "step/InputDocumentWriter.h"
#include "step/RunLog.h"
#include "step/StepOptions.h"
#include "step/StepSummary.h"
#include "step/TemporaryWorkingDirectory.h"

#include <iostream>
#include <stdexcept>

namespace {

// Runs hemwright on the files and prints the summary; returns hemwright's
// exit status (or 128 + the signal that ended it, as shells do).
int runStep(const StepOptions& options) {
    const std::string executable = findHemwrightExecutable();
    std::vector<FileSizes> files;
    for (const std::string& path : options.files) {
        files.push_back({path, regularFileSize(path), std::nullopt});
    }

    TemporaryWorkingDirectory directory;
    if (options.keep) {
        directory.keep();
        std::cout << "working directory (kept): " << directory.path() << "\n";
    }
    writeInputDocument(options, directory.path());
    const ProcessStatus status = runInDirectory(executable, directory.path());
    const RunLog log = readRunLog(directory.path() + "/output.xml");
    for (FileSizes& file : files) {
        file.after = regularFileSize(file.path);
    }
    std::cout << formatStepSummary(status, log, files);
    return status.exited ? status.exitStatus : 128 + status.signalNumber;
}

}  // namespace

int main(int argc, char* argv[]) {
    StepOptions options;
    try {
        options = parseStepOptions(argc, argv);
    } catch (const UsageError& error) {
        std::cerr << "hemwright-step: " << error.what() << "\n\n" << stepUsageText();
        return kUsageExitCode;
    }
    try {
        switch (options.action) {
            case StepOptions::Action::ShowHelp: std::cout << stepUsageText(); return 0;
            case StepOptions::Action::ShowVersion: std::cout << "hemwright-step " HEMWRIGHT_VERSION "\n"; return 0;
            case StepOptions::Action::DryRun: return printDryRun(options, std::cout);
            case StepOptions::Action::Run: return runStep(options);
        }
    } catch (const LaunchError& error) {
        std::cerr << "hemwright-step: " << error.what() << "\n";
        return kUnavailableExitCode;
    } catch (const std::exception& error) {
        std::cerr << "hemwright-step: " << error.what() << "\n";
        return kSoftwareExitCode;
    }
    return kSoftwareExitCode;
}
