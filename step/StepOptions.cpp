#include "step/StepOptions.h"

#include "hemwright/LineBreaks.h"
#include "step/XmlCharacters.h"
#include "util/ErrorResolver.h"

#include <boost/filesystem.hpp>
#include <boost/program_options.hpp>

#include <fstream>
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
         "read the text to prepend from a file (bytes, UTF-8)")
        ("append-file", po::value<std::string>()->value_name("PATH"),
         "read the text to append from a file (bytes, UTF-8)")
        ("line-break-style", po::value<std::string>()->value_name("STYLE"),
         "windows, unix, linux or mac: the line breaks of the added texts")
        ("add-line-break", "put one line break after the prepended text")
        ("dry-run", "show what each file would become; change nothing, do not run hemwright")
        ("keep", "keep the working directory and print its path (no effect with --dry-run)")
        ("help", "show this text")
        ("version", "show the version");
    return options;
}

// The bytes of a text file named by --prepend-file or --append-file.
std::string readTextFile(const std::string& path, const std::string& optionName) {
    boost::system::error_code error;
    if (fs::is_directory(path, error)) {
        throw UsageError("cannot read --" + optionName + " '" + path + "': it is a directory.");
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw UsageError("cannot read --" + optionName + " '" + path + "': " + lastSystemErrorText() + ".");
    }
    std::ostringstream content;
    content << in.rdbuf();
    // An empty file leaves failbit after the copy; only badbit is a read error.
    if (in.bad()) {
        throw UsageError("cannot read --" + optionName + " '" + path + "': read error.");
    }
    return content.str();
}

// The text of --NAME or of --NAME-file; giving both is a fault.
std::optional<std::string> addedText(const po::variables_map& values, const std::string& name) {
    const std::string fileOption = name + "-file";
    if (values.count(name) && values.count(fileOption)) {
        throw UsageError("--" + name + " and --" + fileOption + " cannot be used together.");
    }
    std::optional<std::string> text;
    if (values.count(name)) text = values[name].as<std::string>();
    if (values.count(fileOption)) text = readTextFile(values[fileOption].as<std::string>(), fileOption);
    if (text) {
        if (const auto problem = findXmlTextProblem(*text)) {
            throw UsageError("the text of --" + (values.count(name) ? name : fileOption) +
                             " cannot be passed to hemwright: " + *problem + ".");
        }
    }
    return text;
}

}  // namespace

StepOptions parseStepOptions(int argc, const char* const argv[]) {
    po::options_description hidden;
    hidden.add_options()("file", po::value<std::vector<std::string>>());
    po::options_description all;
    all.add(visibleOptions()).add(hidden);
    po::positional_options_description positional;
    positional.add("file", -1);

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

    if (values.count("line-break-style")) {
        const std::string style = values["line-break-style"].as<std::string>();
        if (parseLineBreakStyle(style) == 0) {
            throw UsageError("invalid --line-break-style '" + style + "'; use windows, unix, linux or mac.");
        }
        options.lineBreakStyle = style;
    }
    options.prepend = addedText(values, "prepend");
    options.append = addedText(values, "append");

    if (!values.count("file")) {
        throw UsageError("no files given.");
    }
    for (const std::string& file : values["file"].as<std::vector<std::string>>()) {
        if (file.empty()) throw UsageError("an empty file name was given.");
        const std::string absolute = fs::absolute(file).string();
        if (const auto problem = findXmlTextProblem(absolute)) {
            throw UsageError("the file name '" + absolute + "' cannot be passed to hemwright: " + *problem + ".");
        }
        options.files.push_back(absolute);
    }
    return options;
}

std::string stepUsageText() {
    std::ostringstream text;
    text << "Usage: hemwright-step [OPTIONS] FILE...\n"
            "Runs hemwright on FILE... as the host would, in a fresh temporary working\n"
            "directory, and reports the exit code, the log message and the file sizes.\n"
            "The files are changed in place (unless --dry-run is given).\n\n"
         << visibleOptions()
         << "\nA text that starts with '-' is given as --prepend=TEXT.\n"
            "Exit code: hemwright's own (as the host sees it); 64 for a fault in the\n"
            "command line; 66 when --dry-run cannot read a file; 69 when hemwright cannot\n"
            "be found or started; 70 for any other failure of this tool.\n";
    return text.str();
}
