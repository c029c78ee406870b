#include "step/StepSummary.h"

#include "step/CountText.h"
#include "step/ExitCodes.h"
#include "step/PrintableName.h"

#include <boost/filesystem.hpp>

#include <sstream>

namespace platform = ostrel::platform;

namespace {

std::optional<std::uintmax_t> regularFileSize(const std::string& path) {
    boost::system::error_code error;
    if (!boost::filesystem::is_regular_file(path, error)) return std::nullopt;
    const std::uintmax_t size = boost::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    return size;
}

std::optional<platform::FileIdentity> entryIdentity(const std::string& path) {
    platform::FileIdentity identity;
    if (!platform::queryEntryIdentity(path, identity)) return std::nullopt;
    return identity;
}

std::string sizeText(const std::optional<std::uintmax_t>& size) {
    return size ? countText(*size, "byte") : "no file";
}

std::string logText(const RunLog& log) {
    switch (log.state) {
        case RunLog::State::NotWritten: return "none (output.xml was not written)";
        case RunLog::State::Unreadable: return "unknown (output.xml cannot be read: " + log.problem + ")";
        case RunLog::State::NoMessage: return "none";
        case RunLog::State::Message: return log.severity + ": " + log.message;
    }
    return "";
}

std::string howHemwrightEnded(const ProcessStatus& status) {
    if (!status.started) return "hemwright was not started";
    if (status.exited) {
        return "hemwright ended with exit code " + std::to_string(status.exitStatus) + " (" +
               describeHemwrightExitStatus(status.exitStatus) + ")";
    }
    return "hemwright was ended by " + platform::signalName(status.signalNumber);
}

}  // namespace

FileRecord recordBeforeRun(const StepFile& file) {
    FileRecord record;
    record.path = file.path;
    record.sizeBefore = regularFileSize(file.path);
    record.identityBefore = entryIdentity(file.path);
    return record;
}

void recordAfterRun(FileRecord& record) {
    record.sizeAfter = regularFileSize(record.path);
    record.identityAfter = entryIdentity(record.path);
}

std::string formatStepSummary(const ProcessStatus& status, const RunLog& log, const std::vector<FileRecord>& files,
                              const SummaryExtras& extra) {
    std::ostringstream text;
    if (files.empty()) {
        text << "hemwright was not run: every file is already stamped\n";
    } else if (status.exited) {
        text << "exit code: " << status.exitStatus << " (" << describeHemwrightExitStatus(status.exitStatus) << ")\n";
    } else {
        text << howHemwrightEnded(status) << "\n";
    }
    if (!files.empty()) text << "log: " << logText(log) << "\n";
    std::ostringstream listed;
    if (!extra.quiet) {
        for (const std::string& path : extra.skipped) listed << "  " << printableName(path) << ": already stamped, skipped\n";
    }
    std::uintmax_t changed = 0;
    std::intmax_t added = 0;
    for (const FileRecord& file : files) {
        if (!extra.quiet || !file.replaced()) {
            listed << "  " << printableName(file.path) << ": " << sizeText(file.sizeBefore) << " -> "
                 << sizeText(file.sizeAfter) << (file.replaced() ? "" : " (not replaced)") << "\n";
        }
        if (!file.replaced()) continue;
        ++changed;
        added += static_cast<std::intmax_t>(file.sizeAfter.value_or(0)) -
                 static_cast<std::intmax_t>(file.sizeBefore.value_or(0));
    }
    if (!extra.quiet || !listed.str().empty()) text << "files:\n" << listed.str();
    // Only another process writing to a file at the same time can make a
    // replaced file shorter; that is reported rather than hidden.
    text << countText(changed, "file") << " changed, "
         << (added >= 0 ? countText(static_cast<std::uintmax_t>(added), "byte") + " added"
                        : countText(static_cast<std::uintmax_t>(-added), "byte") + " fewer");
    if (extra.skipStamped) text << ", " << countText(extra.skipped.size(), "file") << " skipped (already stamped)";
    if (extra.warnings > 0) text << ", " << countText(extra.warnings, "warning");
    text << "\n";
    return text.str();
}

std::string formatInterruptedRun(int stopSignal, const ProcessStatus& status, const std::vector<FileRecord>& files) {
    std::ostringstream text;
    text << "hemwright-step: interrupted by " << platform::signalName(stopSignal) << "; " << howHemwrightEnded(status)
         << "\n";
    for (const FileRecord& file : files) {
        text << "hemwright-step: " << (file.replaced() ? "replaced: " : "not replaced: ") << printableName(file.path)
             << "\n";
    }
    return text.str();
}
