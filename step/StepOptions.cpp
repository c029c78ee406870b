#include "step/StepOptions.h"

#include "hemwright/LineBreaks.h"
#include "step/AddedTextFile.h"
#include "step/PrintableName.h"
#include "step/XmlTextProblem.h"
#include "util/ErrorResolver.h"

#include <boost/filesystem.hpp>
#include <boost/program_options.hpp>

#include <fstream>
#include <iostream>
#include <sstream>

namespace po = boost::program_options;
namespace fs = boost::filesystem;

namespace {

po::options_description visibleOptions() {
    po::options_description options("Options");
    // Plain values without defaults: presence is what matters.
    options.add_options()
        ("prepend", po::value<std::string>()->value_name("TEXT"), "text written before each file's content")
        ("append", po::value<std::string>()->value_name("TEXT"), "text written after each file's content")
        ("prepend-file", po::value<std::string>()->value_name("PATH"),
         "read the text to prepend from a file (UTF-8; a leading byte-order mark is dropped)")
        ("append-file", po::value<std::string>()->value_name("PATH"),
         "read the text to append from a file (UTF-8; a leading byte-order mark is dropped)")
        ("line-break-style", po::value<std::string>()->value_name("STYLE"),
         "windows, unix, linux or mac: the line breaks of the added texts")
        ("add-line-break", "put one line break after the prepended text")
        ("dry-run", "check the files and show what each would become; change nothing, do not run hemwright")
        ("keep", "keep the working directory and print its path (no effect with --dry-run)")
        ("allow-repeats", "let a file be listed more than once (hemwright stamps it each time)")
        ("skip-stamped", "leave alone a file that already begins with the prefix and ends with the suffix "
         "as hemwright writes them (to finish an interrupted or failed step)")
        ("files-from", po::value<std::string>()->value_name("FILE"),
         "also work on the files named in FILE, one per line ('-': standard input)")
        ("null,0", "the names in --files-from end with a NUL byte, not a line feed (find -print0)")
        ("quiet,q", "print only the summary and the problems: no list of files, no progress")
        ("hemwright", po::value<std::string>()->value_name("PATH"),
         "the hemwright executable to run (default: the one beside hemwright-step, else "
         HEMWRIGHT_PLUGIN_FROM_STEP_DIR " from hemwright-step's folder)")
        ("help,h", "show this text")
        ("version,V", "show the version");
    return options;
}

// The text of --NAME or of --NAME-file; giving both is a fault.
std::optional<std::string> addedText(const po::variables_map& values, const std::string& name) {
    const std::string fileOption = name + "-file";
    if (values.count(name) && values.count(fileOption)) {
        throw UsageError("--" + name + " and --" + fileOption + " cannot be used together.");
    }
    std::optional<std::string> text;
    if (values.count(name)) {
        text = values[name].as<std::string>();
        if (const auto problem = findXmlTextProblem(*text)) {
            throw UsageError("the text of --" + name + " cannot be passed to hemwright: " + problem->reason + ".");
        }
    }
    // Checked as it is read, with the file's own offsets.
    if (values.count(fileOption)) text = readAddedTextFile(values[fileOption].as<std::string>(), fileOption);
    return text;
}

// Whether word is one of the options' names: "--NAME" or "--NAME=..." for a
// long name, "-X" for a short one.
bool namesAnOption(const std::string& word, const po::options_description& options) {
    for (const auto& option : options.options()) {
        const std::string longName = "--" + option->long_name();
        if (word == longName || word.rfind(longName + "=", 0) == 0) return true;
        const std::string shortName = option->canonical_display_name(po::command_line_style::allow_dash_for_short);
        if (shortName.size() == 2 && shortName[0] == '-' && word == shortName) return true;
    }
    return false;
}

// An option that takes a value takes the next word; refuses the command line
// when that word is one of the options' own names.
void refuseOptionNamesAsValues(int argc, const char* const argv[], const po::options_description& options) {
    for (int index = 1; index + 1 < argc; ++index) {
        const std::string word = argv[index];
        if (word == "--") return;  // the rest are files
        if (word.rfind("--", 0) != 0) continue;
        const po::option_description* option = options.find_nothrow(word.substr(2), false);
        if (option == nullptr || option->semantic()->max_tokens() == 0) continue;
        const std::string value = argv[++index];
        if (namesAnOption(value, options)) {
            throw UsageError(word + " is followed by '" + printableName(value) +
                             "', an option of hemwright-step, instead of its value; write " + word + "=" +
                             printableName(value) + " if that is the value meant.");
        }
    }
}

// One file name as hemwright gets it (absolute); throws exception-like
// failures built by fault with the reason.
template <typename Fault>
StepFile stepFile(const std::string& name, const Fault& fault) {
    if (name.empty()) throw fault("an empty file name was given");
    const std::string absolute = fs::absolute(name).string();
    if (const auto problem = findXmlTextProblem(absolute)) {
        throw fault("the file name '" + printableName(absolute) + "' cannot be passed to hemwright: " +
                    problem->reason);
    }
    return {name, absolute};
}

// The names in the list --files-from gives, in order, each ended by
// separator (the last one may lack it).
void readFileList(const std::string& list, char separator, std::vector<StepFile>& files) {
    const std::string subject = "--files-from " + printableName(list);
    std::ifstream file;
    if (list != "-") {
        boost::system::error_code error;
        if (fs::is_directory(list, error)) throw StepFailure(kNoInputExitCode, subject + ": Is a directory.");
        file.open(list, std::ios::binary);
        if (!file) throw StepFailure(kNoInputExitCode, subject + ": " + lastSystemErrorText() + ".");
    }
    std::istream& in = list == "-" ? std::cin : file;
    const std::string unit = separator == '\0' ? "name " : "line ";
    std::string name;
    for (std::size_t number = 1; std::getline(in, name, separator); ++number) {
        files.push_back(stepFile(name, [&](const std::string& reason) {
            return StepFailure(kDataErrorExitCode, subject + ": " + unit + std::to_string(number) + ": " + reason + ".");
        }));
    }
    if (in.bad()) throw StepFailure(kNoInputExitCode, subject + ": read error.");
}

}  // namespace

StepOptions parseStepOptions(int argc, const char* const argv[]) {
    po::options_description hidden;
    hidden.add_options()("file", po::value<std::vector<std::string>>());
    const po::options_description visible = visibleOptions();
    po::options_description all;
    all.add(visible).add(hidden);
    po::positional_options_description positional;
    positional.add("file", -1);

    refuseOptionNamesAsValues(argc, argv, visible);
    po::variables_map values;
    try {
        // No guessing of abbreviated option names: a typo must not silently
        // pick another option.
        const int style = po::command_line_style::default_style & ~po::command_line_style::allow_guessing;
        po::store(po::command_line_parser(argc, argv).options(all).positional(positional).style(style).run(),
                  values);
        po::notify(values);
    } catch (const po::error& error) {
        throw UsageError(std::string(error.what()) + ".");
    }

    StepOptions options;
    if (values.count("help")) {
        options.action = StepOptions::Action::ShowHelp;
        return options;
    }
    if (values.count("version")) {
        options.action = StepOptions::Action::ShowVersion;
        return options;
    }
    if (values.count("dry-run")) options.action = StepOptions::Action::DryRun;
    options.addLineBreak = values.count("add-line-break") > 0;
    options.keep = values.count("keep") > 0;
    options.allowRepeats = values.count("allow-repeats") > 0;
    options.skipStamped = values.count("skip-stamped") > 0;
    options.quiet = values.count("quiet") > 0;
    if (values.count("null") && !values.count("files-from")) throw UsageError("--null needs --files-from.");
    if (values.count("hemwright")) {
        const std::string executable = values["hemwright"].as<std::string>();
        if (executable.empty()) throw UsageError("--hemwright needs a path.");
        // hemwright starts in its working directory: a relative path would
        // be looked up there.
        options.hemwright = fs::absolute(executable).string();
    }

    if (values.count("line-break-style")) {
        const std::string style = values["line-break-style"].as<std::string>();
        if (parseLineBreakStyle(style) == LineBreakStyle::None) {
            throw UsageError("invalid --line-break-style '" + printableName(style) + "'; use windows, unix, linux or mac.");
        }
        options.lineBreakStyle = style;
    }
    if (!values.count("file") && !values.count("files-from")) {
        throw UsageError("no files given.");
    }
    if (values.count("file")) {
        for (const std::string& file : values["file"].as<std::vector<std::string>>()) {
            options.files.push_back(
                stepFile(file, [](const std::string& reason) { return UsageError(reason + "."); }));
        }
    }
    // Last, so that every fault of the command line itself is seen first.
    options.prepend = addedText(values, "prepend");
    options.append = addedText(values, "append");
    if (values.count("files-from")) {
        readFileList(values["files-from"].as<std::string>(), values.count("null") ? '\0' : '\n', options.files);
        if (options.files.empty()) throw UsageError("no files given (the --files-from list is empty).");
    }
    return options;
}

std::string stepUsageText() {
    std::ostringstream text;
    text << "Usage: hemwright-step [OPTIONS] FILE...\n"
            "       hemwright-step [OPTIONS] --files-from LIST [FILE...]\n"
            "Runs hemwright on FILE... as the host would, in a fresh temporary working\n"
            "directory, and reports the exit code, the log message and the file sizes.\n"
            "The files are changed in place (unless --dry-run is given).\n\n"
         << visibleOptions()
         << "\nAn option's value is the next word, whatever it starts with (such as\n"
            "--append '-- end'), unless that word is one of the options above: a text\n"
            "such as '--keep' is written --prepend=--keep. An empty text adds nothing.\n"
            "File names must be UTF-8. --add-line-break without --line-break-style puts\n"
            "CR LF after the text.\n\n"
            "Before anything is changed every file is checked: it exists, is a regular\n"
            "file, can be read, can be replaced in its directory (not immutable or\n"
            "append-only, not a mount point, not open for writing by another process)\n"
            "and is listed once, and each file system has room for the new files that\n"
            "exist there at once. Every problem and every warning is reported in one\n"
            "pass; after a problem nothing is changed. Warnings: a symbolic link\n"
            "(replaced by a regular file), other hard links (they keep the old content),\n"
            "an owner or group the new file cannot keep, a file that looks like UTF-8\n"
            "while the added texts hold bytes above 0x7F, characters above U+00FF (they\n"
            "become '?'), and CR LF from --add-line-break without a style.\n\n"
            "On a terminal, a run of more than a second shows its progress on standard\n"
            "error (bytes and files done, rate, time left), unless --quiet is given.\n\n"
            "Results go to standard output, errors and warnings to standard error. A\n"
            "signal that asks the tool to stop (SIGHUP, SIGINT, SIGTERM and the others\n"
            "under 128+N below) is passed on to hemwright; the files already replaced\n"
            "are then listed.\n\n"
            "Exit codes:\n"
         << stepExitCodeTable() << "\nManual: man hemwright-step\n";
    return text.str();
}
