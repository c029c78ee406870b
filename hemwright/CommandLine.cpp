#include "hemwright/CommandLine.h"

#include "hemwright/CommandLineConventions.h"

#include <cstring>

namespace {

// sysexits.h's EX_USAGE and EX_IOERR, as hemwright-step uses them for the
// same failures.
constexpr int kUsageExitCode = 64;
constexpr int kOutputErrorExitCode = 74;

const char kVersionText[] =
    "hemwright " HEMWRIGHT_VERSION "\n"
    "Licensed under the Apache License, Version 2.0.\n";

const char kHelpText[] =
    "hemwright " HEMWRIGHT_VERSION ": a pipeline-step plugin that adds a prefix and a suffix to files.\n"
    "\n"
    "The integration server (the host) starts it, without arguments, in a working\n"
    "directory that holds input.xml. It rewrites each file listed there in place\n"
    "and writes output.xml into the same directory; its exit code tells the host\n"
    "what happened.\n"
    "\n"
    "Arguments, for a person at the command line:\n"
    "  -h, -?, /?, --help   this help; nothing is read or written\n"
    "  -V, --version        the version and the licence\n"
    "Any other option is refused with exit code 64, touching nothing. Any other\n"
    "argument is named on standard error and ignored, as the host expects.\n"
    "\n";

const char kUsageText[] = "usage: hemwright [--help | --version]; the host starts it without arguments";

enum class Request { None, Help, Version };

Request requestOf(const char* argument) {
    for (const char* help : {"-h", "-?", "/?", "--help"}) {
        if (std::strcmp(argument, help) == 0) return Request::Help;
    }
    for (const char* version : {"-V", "--version"}) {
        if (std::strcmp(argument, version) == 0) return Request::Version;
    }
    return Request::None;
}

bool looksLikeAnOption(const char* argument) {
    return argument[0] != '\0' && std::strchr(commandLineConventions().optionCharacters, argument[0]) != nullptr;
}

}  // namespace

std::optional<int> answerCommandLine(int argc, const char* const argv[], std::ostream& out, std::ostream& err) {
    for (int index = 1; index < argc; ++index) {
        const Request request = requestOf(argv[index]);
        if (request == Request::None) continue;
        if (request == Request::Help) {
            out << kHelpText << commandLineConventions().manualText;
        } else {
            out << kVersionText;
        }
        out.flush();
        return out ? 0 : kOutputErrorExitCode;
    }
    for (int index = 1; index < argc; ++index) {
        if (looksLikeAnOption(argv[index])) {
            err << "hemwright: unknown option '" << argv[index] << "' (" << kUsageText << ")\n";
            err.flush();
            return kUsageExitCode;
        }
    }
    for (int index = 1; index < argc; ++index) {
        err << "hemwright: ignoring the argument '" << argv[index]
            << "': the host passes none, and everything is read from input.xml\n";
    }
    err.flush();
    return std::nullopt;
}
