#include "util/ErrorResolver.h"

#include "util/platform/Platform.h"

#include <cstdio>

namespace {

const char* const kNoErrorText =
    "The operating system did not report any error. This could be due to some resource being exhausted "
    "(file handles, memory or disk space).";

// The database error and status ranges, whose texts come from the error
// objects the failing call posted rather than from the system.
bool isDatabaseCode(std::uint32_t code) {
    return (code >= 0x80040E00u && code <= 0x80040EFFu) || (code >= 0x40E00u && code <= 0x40EFFu);
}

// Dispatch errors carry their own number above this base.
constexpr std::uint32_t kDispatchBase = 0x80040200u;
constexpr std::uint32_t kLastDispatchCode = 0x8004FFFFu;

bool isDispatchCode(std::uint32_t code) { return code > kDispatchBase && code <= kLastDispatchCode; }

const char* const kTrailingSpace = " \t\r\n";

// printf-style formatting of the fixed texts; every text here is far shorter
// than the buffer.
template <typename... Arguments>
std::string format(const char* pattern, Arguments... arguments) {
    char buffer[256];
    const int written = std::snprintf(buffer, sizeof buffer, pattern, arguments...);
    return written < 0 ? std::string() : std::string(buffer);
}

std::string dispatchErrorText(std::uint32_t code) {
    std::string text;
    if (ostrel::platform::systemErrorText(code, text)) {
        if (!text.empty() && text.back() == '\n') {
            text.pop_back();
        }
        return text;
    }
    return format("IDispatch error #%d", static_cast<int>(code - kDispatchBase));
}

// Cuts the text after its last character that is not white space; a text
// made only of white space stays as it is.
void trimTrailingSpace(std::string& text) {
    const std::string::size_type last = text.find_last_not_of(kTrailingSpace);
    if (last != std::string::npos) {
        text.erase(last + 1);
    }
}

// System texts that end in a full stop would otherwise end in two once the
// callers add their own.
void collapseDoubleFullStop(std::string& text) {
    const std::string::size_type size = text.size();
    if (size > 2 && text[size - 1] == '.' && text[size - 2] == '.') {
        text.pop_back();
    }
}

}  // namespace

std::string ErrorResolver::resolve(std::uint32_t code, bool errorInfo) {
    text_.clear();
    code_ = code;
    if (code == 0) {
        text_ = kNoErrorText;
        return text_;
    }
    if (isDatabaseCode(code) || errorInfo) {
        getErrorInfoText(code, text_);
    } else if (isDispatchCode(code)) {
        text_ = dispatchErrorText(code);
    } else {
        getSystemMessage(text_, code, std::string());
    }
    tidyText(text_);
    return text_;
}

void ErrorResolver::tidyText(std::string& text) {
    trimTrailingSpace(text);
    collapseDoubleFullStop(text);
}

void ErrorResolver::getSystemMessage(std::string& text, std::uint32_t code, const std::string& moduleName) {
    // The system's own table first, then the named message module (the
    // internet library's when none is named), then the HTTP library's. POSIX
    // systems have no modules: there the system's text or the failure text.
    const std::uint32_t identifier = code != 0 ? code : code_;
    using ostrel::platform::moduleErrorText;
    if (!ostrel::platform::systemErrorText(identifier, text) &&
        !moduleErrorText(moduleName.empty() ? "wininet.dll" : moduleName, identifier, text) &&
        !moduleErrorText("winhttp5.dll", identifier, text)) {
        text = format(
            "FormatMessage() failed with error number %d when trying to get  the error string for error number %u "
            "( = 0x%x).",
            static_cast<int>(ostrel::platform::lastErrorCode()), identifier, identifier);
    }
    // Callers read the code right after a failing call; a stale one left
    // here must not be taken for a new failure.
    ostrel::platform::setLastErrorCode(0);
}

void ErrorResolver::getErrorInfoText(std::uint32_t code, std::string& text) {
    if (static_cast<std::int32_t>(code) >= 0) {
        return;
    }
    const ostrel::platform::PostedErrorInfo posted = ostrel::platform::takePostedErrorInfo();
    switch (posted.kind) {
        case ostrel::platform::PostedErrorInfo::Kind::None:
            text += format("No Error Info posted; HResult: 0x%08x", code);
            return;
        case ostrel::platform::PostedErrorInfo::Kind::Single:
            text += "ErrorInfo:  HResult: " + format("0x%08x", code) + ", Description: " + posted.description +
                    ", Source: " + posted.source;
            return;
        case ostrel::platform::PostedErrorInfo::Kind::Records:
            for (const ostrel::platform::PostedErrorRecord& record : posted.records) {
                if (record.hasSqlState) {
                    text += "ErrorRecord:  HResult: " + format("0x%08x", record.result) +
                            ", Description: " + record.description + ", SQLErrorInfo: " + record.sqlState +
                            ", Source: " + record.source;
                } else {
                    text += "ErrorRecord: HResult: " + format("0x%08x", record.result) +
                            ", Description: " + record.description + ", Source: " + record.source;
                }
            }
            return;
    }
}

std::string asSentence(const std::string& text) {
    return !text.empty() && text.back() == '.' ? text : text + ".";
}

std::string systemErrorTextOf(std::uint32_t code) { return ErrorResolver(0).resolve(code, false); }

std::string lastSystemErrorText() { return systemErrorTextOf(ostrel::platform::lastErrorCode()); }
