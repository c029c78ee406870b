#include "hemwright/InformationRequest.h"

#include <cstring>

namespace {

// sysexits.h's EX_IOERR, as hemwright-step uses it for the same failure.
constexpr int kOutputErrorExitCode = 74;

const char kVersionText[] = "hemwright " HEMWRIGHT_VERSION "\n";

const char kHelpText[] =
    "hemwright " HEMWRIGHT_VERSION ": a pipeline-step plugin that adds a prefix and a suffix to files.\n"
    "\n"
    "The integration server (the host) starts it, without arguments, in a working\n"
    "directory that holds input.xml. It rewrites each file listed there in place\n"
    "and writes output.xml into the same directory; its exit code tells the host\n"
    "what happened. Run by hand it would do the same in the current directory, so\n"
    "try a step with hemwright-step(1) instead.\n"
    "\n"
    "Manual: man hemwright (the program, its parameters and exit codes) and\n"
    "man hemwright-step; /usr/share/doc/hemwright/README.md.gz.\n";

}  // namespace

std::optional<int> answerInformationRequest(int argc, const char* const argv[], std::ostream& out) {
    if (argc != 2) return std::nullopt;
    if (std::strcmp(argv[1], "--version") == 0) {
        out << kVersionText;
    } else if (std::strcmp(argv[1], "--help") == 0) {
        out << kHelpText;
    } else {
        return std::nullopt;
    }
    out.flush();
    return out ? 0 : kOutputErrorExitCode;
}
