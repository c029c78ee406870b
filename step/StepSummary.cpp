#include "step/StepSummary.h"

#include "step/ExitCodes.h"

#include <boost/filesystem.hpp>

#include <cstring>
#include <sstream>

namespace {

std::string sizeText(const std::optional<std::uintmax_t>& size) {
    return size ? std::to_string(*size) + " bytes" : "no file";
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

}  // namespace

std::optional<std::uintmax_t> regularFileSize(const std::string& path) {
    boost::system::error_code error;
    if (!boost::filesystem::is_regular_file(path, error)) return std::nullopt;
    const std::uintmax_t size = boost::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    return size;
}

std::string formatStepSummary(const ProcessStatus& status, const RunLog& log, const std::vector<FileSizes>& files) {
    std::ostringstream text;
    if (status.exited) {
        text << "exit code: " << status.exitStatus << " (" << describeHemwrightExitStatus(status.exitStatus) << ")\n";
    } else {
        text << "hemwright was ended by signal " << status.signalNumber << " (" << ::strsignal(status.signalNumber)
             << ")\n";
    }
    text << "log: " << logText(log) << "\n";
    text << "files:\n";
    for (const FileSizes& file : files) {
        text << "  " << file.path << ": " << sizeText(file.before) << " -> " << sizeText(file.after) << "\n";
    }
    return text.str();
}
