#include "step/AddedTextFile.h"

#include "step/ExitCodes.h"
#include "step/PrintableName.h"
#include "step/XmlCharacters.h"
#include "util/ErrorResolver.h"
#include "util/platform/FileHandle.h"
#include "util/platform/Platform.h"

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
    platform::FileHandle file;
    platform::FileAccess access;
    switch (file.openForReading(path, access)) {
        case platform::OpenResult::Opened: break;
        case platform::OpenResult::NotRegularFile: {
            platform::FileStatus status;
            const bool directory = platform::queryFileStatus(path, status) == platform::StatusResult::Found &&
                                   status.isDirectory;
            throw StepFailure(kNoInputExitCode,
                              subject + ": " + (directory ? "Is a directory" : "Not a regular file") + ".");
        }
        case platform::OpenResult::NotFound:
        case platform::OpenResult::Failed:
            throw StepFailure(kNoInputExitCode, subject + ": " + lastSystemErrorText() + ".");
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        const std::int64_t count = file.readSome(buffer, sizeof buffer);
        if (count < 0) throw StepFailure(kNoInputExitCode, subject + ": " + lastSystemErrorText() + ".");
        if (count == 0) break;
        text.append(buffer, static_cast<std::size_t>(count));
    }
    // Offsets in messages are the file's own, so the check comes before the
    // byte-order mark goes.
    if (const auto problem = findXmlTextProblem(text)) {
        std::string message = subject + ": " + problem->reason + ".";
        if (problem->notUtf8) {
            message += " The text must be UTF-8; convert it first, for example: iconv -f ISO-8859-1 -t UTF-8 " +
                       printableName(shellWord(path)) + " > " + printableName(shellWord(path + ".utf8")) + " (name the file's real encoding "
                       "after -f).";
        } else {
            message += " Remove that character from the file.";
        }
        throw StepFailure(kDataErrorExitCode, message);
    }
    if (text.compare(0, kUtf8ByteOrderMark.size(), kUtf8ByteOrderMark) == 0) text.erase(0, kUtf8ByteOrderMark.size());
    return text;
}
