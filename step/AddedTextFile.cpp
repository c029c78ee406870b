#include "step/AddedTextFile.h"

#include "step/ExitCodes.h"
#include "step/PrintableName.h"
#include "step/XmlTextProblem.h"
#include "util/ErrorResolver.h"
#include "util/platform/FileSystem.h"
#include "util/platform/Platform.h"
#include "util/platform/posix/FileAccessQueries.h"

#include <fstream>
#include <sstream>

namespace platform = ostrel::platform;

namespace {

const std::string kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// The same path quoted for a shell command line: in single quotes unless it
// is made only of characters no shell treats specially.
std::string shellWord(const std::string& path) {
    if (!path.empty() && path.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
                                                "._-/+=:,") == std::string::npos) {
        return path;
    }
    std::string quoted = "'";
    for (const char c : path) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

}  // namespace

std::string readAddedTextFile(const std::string& path, const std::string& optionName) {
    const std::string subject = "--" + optionName + " " + printableName(path);
    // The type is asked first: opening a FIFO would wait for a writer.
    platform::FileStatus status;
    if (platform::fileSystem().queryStatus(path, status) != platform::StatusResult::Found) {
        throw StepFailure(kNoInputExitCode, subject + ": " + lastSystemErrorText() + ".");
    }
    if (status.isDirectory) throw StepFailure(kNoInputExitCode, subject + ": Is a directory.");
    if (!status.isRegularFile) throw StepFailure(kNoInputExitCode, subject + ": Not a regular file.");
    if (const std::uint32_t error = platform::readAccessError(path)) {
        throw StepFailure(kNoInputExitCode, subject + ": " + systemErrorTextOf(error) + ".");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) throw StepFailure(kNoInputExitCode, subject + ": " + lastSystemErrorText() + ".");
    std::ostringstream content;
    content << in.rdbuf();
    // An empty file leaves failbit after the copy; only badbit is a read error.
    if (in.bad()) throw StepFailure(kNoInputExitCode, subject + ": read error.");
    std::string text = content.str();
    // Offsets in messages are the file's own, so the check comes before the
    // byte-order mark goes.
    if (const auto problem = findXmlTextProblem(text)) {
        std::string message = subject + ": " + problem->reason + ".";
        if (problem->notUtf8) {
            message += " The text must be UTF-8; convert it first, for example: iconv -f ISO-8859-1 -t UTF-8 " +
                       printableName(shellWord(path)) + " > " + printableName(shellWord(path + ".utf8")) +
                       " (name the file's real encoding after -f).";
        } else {
            message += " Remove that character from the file.";
        }
        throw StepFailure(kDataErrorExitCode, message);
    }
    if (text.compare(0, kUtf8ByteOrderMark.size(), kUtf8ByteOrderMark) == 0) text.erase(0, kUtf8ByteOrderMark.size());
    return text;
}
