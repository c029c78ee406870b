#ifndef HEMWRIGHT_STEP_STEPOPTIONS_H
#define HEMWRIGHT_STEP_STEPOPTIONS_H

#include "step/ExitCodes.h"

#include <optional>
#include <string>
#include <vector>

// The command line of hemwright-step.

// A fault in the command line: an unknown option, a missing or bad value, an
// option name where a value belongs, no files, a text the host document
// cannot carry. The message is complete and names the option; the tool
// prints it on one line, points to --help and exits with kUsageExitCode.
class UsageError : public StepFailure {
public:
    explicit UsageError(const std::string& message) : StepFailure(kUsageExitCode, message) {}
};

// One file to work on.
struct StepFile {
    std::string given;  // as written on the command line, for messages
    std::string path;   // absolute, as hemwright gets it
};

struct StepOptions {
    enum class Action { Run, DryRun, ShowHelp, ShowVersion };

    Action action = Action::Run;
    // The texts as bytes (UTF-8); absent when the option was not given, so
    // that an empty --prepend "" still reaches the plugin as a set value.
    std::optional<std::string> prepend;
    std::optional<std::string> append;
    // As written on the command line (any letter case); one of the plugin's
    // four style names when present.
    std::optional<std::string> lineBreakStyle;
    bool addLineBreak = false;
    bool keep = false;
    bool allowRepeats = false;
    // Leave alone the files that already carry the added texts.
    bool skipStamped = false;
    // Only the summary and the problems: no list of files, no progress.
    bool quiet = false;
    // Let a file that another process has open for writing be rewritten.
    // --hemwright: the executable to run, absolute; absent to look for it.
    std::optional<std::string> hemwright;
    // In command-line order, then those of --files-from in the list's order.
    std::vector<StepFile> files;
};

// Reads the command line. --help and --version (-h, -V) win over everything
// else and need no files. An option that takes a value takes the next word
// whatever it starts with, except one of the tool's own option names
// ("--dry-run", "--keep=1", "-h"): that is refused, since it is far more
// likely a value left out (an empty shell variable) than meant; the form
// --NAME=VALUE takes any value. Every text (both added texts and the file paths)
// is checked to be valid UTF-8 made of characters that XML 1.0 can carry.
// --files-from names a list of more files (one per line, or NUL-ended with
// --null; "-" for standard input), read after every other check of the
// command line.
// Throws UsageError on any fault of the command line, and StepFailure from
// reading --prepend-file or --append-file (step/AddedTextFile.h) or the
// list (kNoInputExitCode when it cannot be read, kDataErrorExitCode for a
// name that is empty or cannot be passed to hemwright, with its number).
StepOptions parseStepOptions(int argc, const char* const argv[]);

// The usage text printed by --help and after a UsageError.
std::string stepUsageText();

#endif
