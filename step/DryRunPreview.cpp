#include "step/DryRunPreview.h"

#include "hemwright/LineBreaks.h"
#include "step/CountText.h"
#include "step/ExitCodes.h"
#include "step/FileBytes.h"
#include "step/PrintableName.h"
#include "step/ResultOutput.h"
#include "util/ErrorResolver.h"

#include <boost/filesystem.hpp>

#include <cstdio>
#include <fstream>

namespace fs = boost::filesystem;

namespace {

// Longest stretch of a file's line shown; files can be large and lines long.
constexpr std::size_t kShownLineBytes = 160;

struct FileEdges {
    std::uintmax_t size = 0;
    std::string firstLine;  // up to and including the first LF
    std::string lastLine;   // after the last LF that is not the final byte
    bool firstCut = false;  // the first line is longer than shown
    bool lastCut = false;
};

// The first and last lines of the file; throws std::runtime_error with the
// reason when the file cannot be read.
FileEdges readFileEdges(const std::string& path) {
    boost::system::error_code error;
    if (!fs::is_regular_file(path, error)) {
        throw std::runtime_error(fs::exists(path, error) ? "Not a regular file" : "No such file or directory");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(lastSystemErrorText());
    FileEdges edges;
    edges.size = fs::file_size(path, error);
    if (error) throw std::runtime_error(error.message());

    const std::size_t headCount = static_cast<std::size_t>(std::min<std::uintmax_t>(edges.size, kShownLineBytes));
    const std::string head = readRange(in, 0, headCount);
    const std::size_t firstBreak = head.find('\n');
    edges.firstLine = firstBreak == std::string::npos ? head : head.substr(0, firstBreak + 1);
    edges.firstCut = firstBreak == std::string::npos && headCount < edges.size;

    const std::size_t tailCount = headCount;
    const std::string tail = readRange(in, edges.size - tailCount, tailCount);
    // A final LF ends the last line rather than starting an empty one.
    const std::size_t lastBreak = tail.size() < 2 ? std::string::npos : tail.rfind('\n', tail.size() - 2);
    edges.lastLine = lastBreak == std::string::npos ? tail : tail.substr(lastBreak + 1);
    edges.lastCut = lastBreak == std::string::npos && tailCount < edges.size;
    return edges;
}

}  // namespace

std::optional<AddedText> bytesHemwrightWouldAdd(const StepOptions& options) {
    const LineBreakStyle style =
        options.lineBreakStyle ? parseLineBreakStyle(*options.lineBreakStyle) : LineBreakStyle::None;
    return addedText(options.prepend.value_or(""), options.append.value_or(""), style, options.addLineBreak);
}

std::string visibleBytes(const std::string& bytes) {
    std::string visible;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
            case '\\': visible += "\\\\"; break;
            case '\t': visible += "\\t"; break;
            case '\n': visible += "\\n"; break;
            case '\r': visible += "\\r"; break;
            default:
                if (byte >= 0x20 && byte < 0x7F) {
                    visible += c;
                } else {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
                    visible += hex;
                }
        }
    }
    return visible;
}

void printDryRun(const StepOptions& options, const std::vector<bool>& stamped, std::size_t warnings) {
    const std::string warningCount = countText(warnings, "warning");
    const std::optional<AddedText> added = bytesHemwrightWouldAdd(options);
    if (!added) {
        printResult("Neither a text to prepend nor one to append is given: hemwright would change no file and "
                    "end with a warning.\n0 files would change, 0 bytes would be added, " + warningCount + "\n");
        return;
    }
    if (!options.quiet) printResult("prefix: " + countText(added->prefix.size(), "byte") + " \"" + visibleBytes(added->prefix) + "\"\n" +
                "suffix: " + countText(added->suffix.size(), "byte") + " \"" + visibleBytes(added->suffix) + "\"\n");
    std::uintmax_t addedBytes = 0;
    std::size_t skipped = 0;
    for (std::size_t index = 0; index < options.files.size(); ++index) {
        const StepFile& file = options.files[index];
        if (index < stamped.size() && stamped[index]) {
            ++skipped;
            if (!options.quiet) printResult(printableName(file.path) + ": already stamped, would be skipped\n");
            continue;
        }
        if (options.quiet) {
            addedBytes += added->prefix.size() + added->suffix.size();
            continue;
        }
        FileEdges edges;
        try {
            edges = readFileEdges(file.path);
        } catch (const std::runtime_error& failure) {
            // The checks found the file readable; it changed since.
            throw StepFailure(kNoInputExitCode, printableName(file.given) + ": " + failure.what());
        }
        addedBytes += added->prefix.size() + added->suffix.size();
        std::string preview = printableName(file.path) + ": " + countText(edges.size, "byte") + " -> " +
                              countText(edges.size + added->prefix.size() + added->suffix.size(), "byte") + "\n";
        if (edges.firstLine.size() == edges.size) {
            // One line only: the whole result fits on one line of the report.
            preview += "  whole:      \"" + visibleBytes(added->prefix + edges.firstLine + added->suffix) + "\"\n";
        } else {
            preview += "  first line: \"" + visibleBytes(added->prefix + edges.firstLine) + "\"" +
                       (edges.firstCut ? " ..." : "") + "\n" + "  last line:  " + (edges.lastCut ? "... " : "") +
                       "\"" + visibleBytes(edges.lastLine + added->suffix) + "\"\n";
        }
        printResult(preview);
    }
    printResult(countText(options.files.size() - skipped, "file") + " would change, " +
                countText(addedBytes, "byte") + " would be added, " +
                (options.skipStamped ? countText(skipped, "file") + " would be skipped (already stamped), " : "") +
                warningCount + "\n");
}
