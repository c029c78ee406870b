// hemwright-step's options and the checks it makes before anything is
// changed, as one table: each case runs the tool (as root or as the user
// nobody) on the same set of files and checks the exit code, the start of
// standard error (every problem at once, each with the system's reason),
// the start of standard output, and what became of the one ordinary file
// (listed first where a later file is refused: nothing may change). Files
// the system may refuse to make (immutable, append-only, a mount point)
// skip their cases with the reason printed.
#include "tests/step/StepCommand.h"

#include <gtest/gtest.h>

#include <boost/filesystem.hpp>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <regex>

using step_testing::StepLaunch;
using step_testing::StepResult;
using step_testing::StepTest;
using testing_support::readBytes;

namespace {

struct StepCase {
    const char* what;
    std::vector<std::string> arguments;  // "{data}" stands for the data directory
    int exitStatus;
    std::string standardErrorStart;      // likewise with "{data}"
    std::string standardOutputStart = "";
    std::string fileAfter = "content";   // {data}/f.txt afterwards
    bool asNobody = false;
    bool standardOutputClosed = false;
    std::string standardInput = "";      // a file, likewise with "{data}"
};

const std::string kNothingChanged = "hemwright-step: nothing was changed.\n";
// What nobody is warned of for a file of root's in the data directory
// (given as "{data}/f.txt", say), which it may not write in itself.
std::string nobodyWarnings(const std::string& file) {
    return "hemwright-step: warning: " + file + ": cannot tell whether another process has it open for writing: "
           "Permission denied\nhemwright-step: warning: " + file + ": its owner will change from root to nobody, "
           "and its group from root to nogroup (hemwright writes a new file, which this user may not give away; run "
           "as the owner or as root to keep them)\n";
}
const std::string kNobodyWarnings = nobodyWarnings("{data}/f.txt");
const std::string kRepeated = "; hemwright would add the texts to it each time (--allow-repeats allows that)\n";

std::string version() {
    std::smatch match;
    static const std::string project = readBytes(std::string(HEMWRIGHT_SOURCE_DIR) + "/CMakeLists.txt");
    std::regex_search(project, match, std::regex("project\\(hemwright VERSION ([0-9.]+)"));
    return match[1].str();
}

const std::string kTryHelp = "Try 'hemwright-step --help'.\n";

const std::vector<StepCase> kCases = {
    // Faults of the command line: 64, one line and a pointer to --help.
    {"unknown option", {"--prepend", "a", "--bogus", "{data}/f.txt"}, 64,
     "hemwright-step: unrecognised option '--bogus'.\n" + kTryHelp},
    {"option name as the text", {"--prepend", "--dry-run", "{data}/f.txt"}, 64,
     "hemwright-step: --prepend is followed by '--dry-run', an option of hemwright-step, instead of its value; "
     "write --prepend=--dry-run if that is the value meant.\n" + kTryHelp},
    {"short option name as the text", {"--append", "-h", "{data}/f.txt"}, 64,
     "hemwright-step: --append is followed by '-h', an option of hemwright-step, instead of its value; write "
     "--append=-h if that is the value meant.\n" + kTryHelp},
    {"option with a value as the style", {"--line-break-style", "--keep=1", "--prepend", "a", "{data}/f.txt"}, 64,
     "hemwright-step: --line-break-style is followed by '--keep=1', an option of hemwright-step, instead of its "
     "value; write --line-break-style=--keep=1 if that is the value meant.\n" + kTryHelp},
    {"option name given with =", {"--prepend=--dry-run", "{data}/f.txt"}, 0, "", "exit code: 0",
     "--dry-runcontent"},
    {"other texts starting with -", {"--prepend", "-x", "--append", "-- end", "{data}/f.txt"}, 0, "",
     "exit code: 0", "-xcontent-- end"},
    {"abbreviations are not guessed", {"--prep", "a", "{data}/f.txt"}, 64,
     "hemwright-step: unrecognised option '--prep'.\n"},
    {"invalid style", {"--line-break-style", "dos", "--prepend", "a", "{data}/f.txt"}, 64,
     "hemwright-step: invalid --line-break-style 'dos'; use windows, unix, linux or mac.\n"},
    {"empty style", {"--line-break-style", "", "--prepend", "a", "{data}/f.txt"}, 64,
     "hemwright-step: invalid --line-break-style ''; use windows, unix, linux or mac.\n"},
    {"text and text file", {"--prepend", "a", "--prepend-file", "{data}/f.txt", "{data}/f.txt"}, 64,
     "hemwright-step: --prepend and --prepend-file cannot be used together.\n"},
    {"missing value", {"--prepend"}, 64,
     "hemwright-step: the required argument for option '--prepend' is missing.\n"},
    {"no files", {"--prepend", "a"}, 64, "hemwright-step: no files given.\n"},
    {"text not UTF-8", {"--prepend", "\xC0\xAF", "{data}/f.txt"}, 64,
     "hemwright-step: the text of --prepend cannot be passed to hemwright: byte 0xC0 at offset 0 is not valid "
     "UTF-8.\n"},
    {"cut sequence", {"--append", "ok\xE2\x82", "{data}/f.txt"}, 64,
     "hemwright-step: the text of --append cannot be passed to hemwright: byte 0xE2 at offset 2 is not valid "
     "UTF-8.\n"},
    {"surrogate", {"--append", "\xED\xA0\x80", "{data}/f.txt"}, 64,
     "hemwright-step: the text of --append cannot be passed to hemwright: byte 0xED at offset 0 is not valid "
     "UTF-8.\n"},
    {"above U+10FFFF", {"--append", "\xF4\x90\x80\x80", "{data}/f.txt"}, 64,
     "hemwright-step: the text of --append cannot be passed to hemwright: byte 0xF4 at offset 0 is not valid "
     "UTF-8.\n"},
    {"control character", {"--prepend", "a\x01", "{data}/f.txt"}, 64,
     "hemwright-step: the text of --prepend cannot be passed to hemwright: character U+0001 at offset 1 cannot "
     "appear in an XML 1.0 document.\n"},
    {"noncharacter", {"--prepend", "\xEF\xBF\xBE", "{data}/f.txt"}, 64,
     "hemwright-step: the text of --prepend cannot be passed to hemwright: character U+FFFE at offset 0 cannot "
     "appear in an XML 1.0 document.\n"},
    {"file name not UTF-8", {"--prepend", "a", "{data}/bad\xFF.txt"}, 64,
     "hemwright-step: the file name '{data}/bad\\xFF.txt' cannot be passed to hemwright: byte 0xFF at offset "
     "{offset} is not valid UTF-8.\n"},

    // Text files: 66 when unreadable, 65 when not UTF-8 XML text; a
    // byte-order mark is dropped.
    {"text file missing", {"--prepend-file", "{data}/absent.txt", "{data}/f.txt"}, 66,
     "hemwright-step: --prepend-file {data}/absent.txt: No such file or directory.\n"},
    {"text file is a directory", {"--append-file", "{data}/dir", "{data}/f.txt"}, 66,
     "hemwright-step: --append-file {data}/dir: Is a directory.\n"},
    {"text file unreadable", {"--prepend-file", "{data}/locked.txt", "{data}/f.txt"}, 66,
     "hemwright-step: --prepend-file {data}/locked.txt: Permission denied.\n", "", "content", true},
    {"text file in Latin-1", {"--prepend-file", "{data}/latin1.txt", "{data}/f.txt"}, 65,
     "hemwright-step: --prepend-file {data}/latin1.txt: byte 0xE9 at offset 3 is not valid UTF-8. The text must "
     "be UTF-8; convert it first, for example: iconv -f ISO-8859-1 -t UTF-8 {data}/latin1.txt > "
     "{data}/latin1.txt.utf8 (name the file's real encoding after -f).\n"},
    {"text file with a control character", {"--append-file", "{data}/control.txt", "{data}/f.txt"}, 65,
     "hemwright-step: --append-file {data}/control.txt: character U+0001 at offset 4 cannot appear in an XML 1.0 "
     "document. Remove that character from the file.\n"},
    {"byte-order mark dropped", {"--prepend-file", "{data}/bom.txt", "{data}/f.txt"}, 0, "", "exit code: 0",
     "\xE9-content"},

    // The files, all checked before anything changes: 66, 73, 64.
    {"every problem at once",
     {"--prepend", "a", "{data}/f.txt", "{data}/missing.txt", "{data}/dir", "{data}/fifo", "{data}/no/such.txt"},
     66,
     "hemwright-step: {data}/missing.txt: No such file or directory\n"
     "hemwright-step: {data}/dir: Is a directory\n"
     "hemwright-step: {data}/fifo: Not a regular file\n"
     "hemwright-step: {data}/no/such.txt: No such file or directory\n" + kNothingChanged},
    {"names printed with control characters escaped", {"--prepend", "a", "{data}/new\nline\t\\.txt"}, 66,
     "hemwright-step: {data}/new\\nline\\t\\\\.txt: No such file or directory\n" + kNothingChanged},
    {"dry run checks alike", {"--dry-run", "--prepend", "a", "{data}/missing.txt", "{data}/f.txt"}, 66,
     "hemwright-step: {data}/missing.txt: No such file or directory\n" + kNothingChanged},
    {"repeat", {"--prepend", "a", "{data}/f.txt", "{data}/dir/../f.txt", "{data}/f.txt"}, 64,
     "hemwright-step: {data}/f.txt: listed 3 times (as {data}/f.txt, {data}/dir/../f.txt)" + kRepeated +
         kNothingChanged},
    {"listed exactly twice", {"--prepend", "a", "{data}/f.txt", "{data}/f.txt"}, 64,
     "hemwright-step: {data}/f.txt: listed 2 times" + kRepeated + kNothingChanged},
    {"repeat allowed", {"--allow-repeats", "--prepend", "a", "{data}/f.txt", "{data}/f.txt"}, 0, "",
     "exit code: 0", "aacontent"},
    {"temporary path too long", {"--prepend", "a", "{deep}"}, 73,
     "hemwright-step: {deep}: File name too long: the temporary file hemwright writes beside it needs a path of "},
    {"names of 240 and 255 bytes fit", {"--prepend", "a", "{data}/f.txt", "{name240}", "{name255}"}, 0, "",
     "exit code: 0", "acontent"},
    {"immutable file", {"--prepend", "a", "{data}/f.txt", "{immutable}"}, 73,
     "hemwright-step: {immutable}: the file is immutable: it cannot be replaced\n" + kNothingChanged},
    {"append-only file", {"--prepend", "a", "{data}/f.txt", "{append-only}"}, 73,
     "hemwright-step: {append-only}: the file is append-only: it cannot be replaced\n" + kNothingChanged},
    {"append-only directory", {"--prepend", "a", "{data}/f.txt", "{append-only-dir}/in.txt"}, 73,
     "hemwright-step: {append-only-dir}/in.txt: its directory {append-only-dir} is append-only: files can be "
     "added to it but none replaced\n" + kNothingChanged},
    {"mount point", {"--prepend", "a", "{data}/f.txt", "{mounted}"}, 73,
     "hemwright-step: {mounted}: something is mounted on it (a mount point), so no file can be put in its "
     "place\n" + kNothingChanged},
    {"open for writing", {"--prepend", "a", "{data}/f.txt", "{data}/open.txt"}, 73,
     "hemwright-step: {data}/open.txt: another process has it open for writing; hemwright leaves such a file "
     "alone, so that nothing that process writes is lost (stop the writer, or rotate the log, and run again)\n" +
         kNothingChanged},
    {"unreadable", {"--prepend", "a", "{data}/f.txt", "{data}/locked.txt"}, 66,
     "hemwright-step: {data}/locked.txt: Permission denied\n" + kNobodyWarnings + kNothingChanged, "", "content",
     true},
    {"directory not writable", {"--prepend", "a", "{data}/f.txt", "{data}/readonly/in.txt"}, 73,
     "hemwright-step: {data}/readonly/in.txt: its directory {data}/readonly does not let this user create files: "
     "Permission denied\n" + kNobodyWarnings + nobodyWarnings("{data}/readonly/in.txt") + kNothingChanged, "",
     "content", true},
    {"another user's file in a sticky directory", {"--prepend", "a", "{data}/f.txt", "{data}/sticky/root.txt"},
     73, "hemwright-step: {data}/sticky/root.txt: Operation not permitted\n" + kNobodyWarnings +
     nobodyWarnings("{data}/sticky/root.txt") + kNothingChanged, "", "content", true},
    {"unreadable wins over unreplaceable", {"--prepend", "a", "{data}/readonly/in.txt", "{data}/locked.txt"}, 66,
     "hemwright-step: {data}/readonly/in.txt: its directory {data}/readonly does not let this user create files: "
     "Permission denied\n"
     "hemwright-step: {data}/locked.txt: Permission denied\n" + nobodyWarnings("{data}/readonly/in.txt") +
     kNothingChanged, "", "content", true},
    // Only a file's owner (or a privileged user) learns whether others write
    // to it; the others are told that it cannot be known.
    {"ordinary user", {"--prepend", "a", "{data}/f.txt"}, 0,
     "hemwright-step: warning: {data}/f.txt: cannot tell whether another process has it open for writing: "
     "Permission denied\n", "exit code: 0", "acontent", true},
    {"owner and group that nobody cannot keep", {"--prepend", "a", "{data}/f.txt"}, 0, kNobodyWarnings,
     "exit code: 0", "acontent", true},
    // Errors and warnings come in one pass.
    {"warnings with the problems", {"--prepend", "a", "{data}/missing.txt", "{data}/link.txt"}, 66,
     "hemwright-step: {data}/missing.txt: No such file or directory\n"
     "hemwright-step: warning: {data}/link.txt: it is a symbolic link: it will be replaced by a regular file, and "
     "the file it points to keeps the old content\n" + kNothingChanged},

    // Room for the new files: on a file system of 1 MiB holding two files
    // of 400000 bytes, hemwright would write both new files (one batch)
    // before either old one goes. 400 files of 1 KiB are replaced in
    // batches of at most 256: the largest batch fits where all would not.
    {"not enough free space", {"--prepend", "a", "{data}/f.txt", "{small}/a", "{small}/b"}, 73,
     "hemwright-step: {small}: not enough free space on this file system: hemwright needs 802816 bytes (784.0 KiB) "
     "there at once (the new files it writes beside the old ones before it puts a batch of them in place), and "
     "245760 bytes (240.0 KiB) are free: 557056 bytes (544.0 KiB) short\n" + kNothingChanged},
    {"the largest batch fits", {"--quiet", "--prepend", "a", "{data}/f.txt", "--files-from", "{data}/many.list"}, 0,
     "", "exit code: 0 (success)\nlog: none\n401 files changed, 401 bytes added\n", "acontent"},

    // Lists of files, one per line, NUL-ended, from standard input.
    {"files from a list", {"--prepend", "a", "--files-from", "{data}/list.txt"}, 0, "", "exit code: 0",
     "acontent"},
    {"files from a NUL-separated list", {"-0", "--prepend", "a", "--files-from", "{data}/list0.txt"}, 0, "",
     "exit code: 0", "acontent"},
    {"files from standard input", {"--null", "--prepend", "a", "--files-from", "-"}, 0, "", "exit code: 0",
     "acontent", false, false, "{data}/list0.txt"},
    {"list and arguments checked together", {"--prepend", "a", "{data}/missing.txt", "--files-from",
     "{data}/list.txt"}, 66, "hemwright-step: {data}/missing.txt: No such file or directory\n" + kNothingChanged},
    {"list with an empty line", {"--prepend", "a", "--files-from", "{data}/gap.list"}, 65,
     "hemwright-step: --files-from {data}/gap.list: line 2: an empty file name was given.\n"},
    {"list missing", {"--prepend", "a", "--files-from", "{data}/absent.list"}, 66,
     "hemwright-step: --files-from {data}/absent.list: No such file or directory.\n"},
    {"--null without a list", {"--null", "--prepend", "a", "{data}/f.txt"}, 64,
     "hemwright-step: --null needs --files-from.\n"},

    // --quiet: the summary and the problems only.
    {"quiet", {"--quiet", "--prepend", "a", "{data}/f.txt"}, 0, "",
     "exit code: 0 (success)\nlog: none\n1 file changed, 1 byte added\n", "acontent"},
    {"quiet dry run", {"--quiet", "--dry-run", "--prepend", "a", "{data}/f.txt"}, 0, "",
     "1 file would change, 1 byte would be added, 0 warnings\n"},

    // Help, version, the hemwright to run, standard output.
    {"help", {"--help"}, 0, "", "Usage: hemwright-step [OPTIONS] FILE...\n"},
    {"short help alone", {"-h"}, 0, "", "Usage: hemwright-step [OPTIONS] FILE...\n"},
    {"version", {"--version"}, 0, "", "hemwright-step {version}\n"},
    {"short version", {"-V"}, 0, "", "hemwright-step {version}\n"},
    {"hemwright given", {"--hemwright", HEMWRIGHT_EXECUTABLE, "--prepend", "a", "{data}/f.txt"}, 0, "",
     "exit code: 0", "acontent"},
    {"hemwright given is not a program", {"--hemwright", "{data}/f.txt", "--prepend", "a", "{data}/f.txt"}, 69,
     "hemwright-step: --hemwright {data}/f.txt: not an executable file.\n"},
    // The exit code tells what became of the files, not of the summary.
    {"standard output closed after the run", {"--prepend", "a", "{data}/f.txt"}, 0,
     "hemwright-step: cannot write to standard output: Broken pipe. The run itself is complete; the exit code, 0, "
     "is hemwright's.\n", "", "acontent", false, true},
    {"standard output closed for help", {"--help"}, 74,
     "hemwright-step: cannot write to standard output: Broken pipe.\n", "", "content", false, true},
};

class StepCommandLineTest : public StepTest {
protected:
    void SetUp() override {
        dataFile("f.txt", "content");
        dataFile("latin1.txt", "caf\xE9");
        dataFile("control.txt", "text\x01");
        dataFile("bom.txt", "\xEF\xBB\xBF\xC3\xA9-");
        boost::filesystem::create_directory(data.file("dir"));
        ASSERT_EQ(0, ::mkfifo(data.file("fifo").c_str(), 0644));
        ::chmod(dataFile("locked.txt", "x").c_str(), 0);
        boost::filesystem::create_directory(data.file("readonly"));
        dataFile("readonly/in.txt", "x");
        ::chmod(data.file("readonly").c_str(), 0555);
        boost::filesystem::create_directory(data.file("sticky"));
        dataFile("sticky/root.txt", "x");
        ::chmod(data.file("sticky").c_str(), 01777);
        // A file whose path fits the system's limit while the temporary
        // file's path beside it does not.
        // (4095 bytes at most; hemwright's temporary name adds 41.)
        const std::size_t target = 4095 - 40;
        deep_ = data.path();
        while (target - deep_.size() - 1 > 201) {
            deep_ += "/" + std::string(std::min<std::size_t>(250, target - deep_.size() - 1 - 201), 'd');
        }
        deep_ += "/" + std::string(target - deep_.size() - 1, 'f');
        boost::filesystem::create_directories(boost::filesystem::path(deep_).parent_path());
        dataFile(deep_.substr(data.path().size() + 1), "x");
        // Names whose temporary file's name hemwright must shorten to fit.
        dataFile(std::string(240, 'n'), "x");
        dataFile(std::string(255, 'n'), "x");
        // A log that another process (this one) keeps open for writing.
        writer_ = ::open(dataFile("open.txt", "log").c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
        ASSERT_LE(0, writer_);

        ::symlink(data.file("f.txt").c_str(), data.file("link.txt").c_str());
        dataFile("list.txt", data.file("f.txt") + "\n");
        dataFile("list0.txt", data.file("f.txt") + std::string(1, '\0'));
        dataFile("gap.list", data.file("f.txt") + "\n\nother.txt\n");

        // Files the system may refuse to make here.
        boost::filesystem::create_directory(data.file("append-only-dir"));
        dataFile("append-only-dir/in.txt", "x");
        const std::pair<const char*, const char*> locks[] = {
            {"immutable", "+i"}, {"append-only", "+a"}, {"append-only-dir", "+a"}};
        for (const auto& [name, attribute] : locks) {
            const std::string path = name == std::string("append-only-dir") ? data.file(name) : dataFile(name, "x");
            if (command("chattr " + std::string(attribute) + " '" + path + "'")) {
                placeholders_["{" + std::string(name) + "}"] = path;
                locked_.push_back(path);
            } else {
                unavailable_["{" + std::string(name) + "}"] = "the file system refuses chattr " + std::string(attribute);
            }
        }
        dataFile("mount-source.txt", "s");
        const std::string mounted = dataFile("mounted.txt", "m");
        if (command("mount --bind '" + data.file("mount-source.txt") + "' '" + mounted + "'")) {
            placeholders_["{mounted}"] = mounted_ = mounted;
        } else {
            unavailable_["{mounted}"] = "mounting (mount --bind) is not permitted here";
        }
        // Small file systems of their own.
        std::string many;
        for (const auto& [name, size] : {std::pair<const char*, const char*>{"small", "1m"}, {"many", "2700k"}}) {
            const std::string mountPoint = data.file(name);
            boost::filesystem::create_directory(mountPoint);
            if (command("mount -t tmpfs -o size=" + std::string(size) + " tmpfs '" + mountPoint + "'")) {
                placeholders_["{" + std::string(name) + "}"] = mountPoint;
                tmpfs_.push_back(mountPoint);
            } else {
                unavailable_["{" + std::string(name) + "}"] = "mounting a tmpfs is not permitted here";
            }
        }
        if (placeholders_.count("{small}")) {
            dataFile("small/a", std::string(400000, 'a'));
            dataFile("small/b", std::string(400000, 'b'));
        }
        if (placeholders_.count("{many}")) {
            for (int i = 0; i < 400; ++i) many += dataFile("many/" + std::to_string(i), std::string(1024, 'm')) + "\n";
        } else {
            unavailable_["{data}/many.list"] = unavailable_["{many}"];
        }
        dataFile("many.list", many);
    }

    void TearDown() override {
        if (writer_ >= 0) ::close(writer_);
        for (const std::string& path : locked_) command("chattr -i -a '" + path + "'");
        if (!mounted_.empty()) command("umount '" + mounted_ + "'");
        for (const std::string& mountPoint : tmpfs_) command("umount '" + mountPoint + "'");
    }

    // Runs a shell command quietly; whether it succeeded.
    static bool command(const std::string& line) { return std::system((line + " 2>/dev/null").c_str()) == 0; }

    // Why the case cannot run here, or empty.
    std::string whyNot(const StepCase& step) const {
        if (step.asNobody) {
            if (const std::string reason = step_testing::nobodyCannotRun(data.path()); !reason.empty()) return reason;
        }
        for (const std::string& argument : step.arguments) {
            for (const auto& [placeholder, reason] : unavailable_) {
                if (argument.find(placeholder) != std::string::npos) return reason;
            }
        }
        return "";
    }

    std::string expand(std::string text) const {
        const std::pair<std::string, std::string> names[] = {
            {"{data}", data.path()},
            {"{deep}", deep_},
            {"{version}", version()},
            {"{offset}", std::to_string(data.path().size() + 4)},
            {"{name240}", data.file(std::string(240, 'n'))},
            {"{name255}", data.file(std::string(255, 'n'))}};
        std::map<std::string, std::string> all(placeholders_);
        all.insert(std::begin(names), std::end(names));
        for (const auto& [placeholder, value] : all) {
            for (std::string::size_type at; (at = text.find(placeholder)) != std::string::npos;) {
                text.replace(at, placeholder.size(), value);
            }
        }
        return text;
    }

    std::string deep_;
    int writer_ = -1;
    std::map<std::string, std::string> placeholders_;  // of the files made below
    std::map<std::string, std::string> unavailable_;   // placeholder -> why it could not be made
    std::vector<std::string> locked_;
    std::string mounted_;
    std::vector<std::string> tmpfs_;
};

TEST_F(StepCommandLineTest, OptionsAndFileChecks) {
    for (const StepCase& step : kCases) {
        SCOPED_TRACE(step.what);
        if (const std::string reason = whyNot(step); !reason.empty()) {
            std::cout << "[  SKIPPED ] case \"" << step.what << "\": " << reason << "\n";
            continue;
        }
        // Each case starts from the same content, in a file of root's own
        // (a case run as nobody leaves nobody's).
        boost::filesystem::remove(data.file("f.txt"));
        testing_support::writeBytes(data.file("f.txt"), "content");
        // nobody may replace files in the data directory, not read locked.txt
        // nor write in readonly/, and may not replace root's file in sticky/.
        ::chmod(data.path().c_str(), step.asNobody ? 0777 : 0755);
        std::vector<std::string> arguments;
        for (const std::string& argument : step.arguments) arguments.push_back(expand(argument));
        StepLaunch launch;
        launch.asNobody = step.asNobody;
        launch.standardOutputClosed = step.standardOutputClosed;
        if (!step.standardInput.empty()) launch.standardInput = expand(step.standardInput);

        const StepResult result = run(arguments, launch);

        EXPECT_EQ(step.exitStatus, result.exitStatus) << result.standardError;
        const std::string errorStart = expand(step.standardErrorStart);
        EXPECT_EQ(errorStart, result.standardError.substr(0, errorStart.size()));
        if (errorStart.empty()) {
            EXPECT_EQ("", result.standardError);
        }
        const std::string outputStart = expand(step.standardOutputStart);
        EXPECT_EQ(outputStart, result.standardOutput.substr(0, outputStart.size()));
        if (step.exitStatus != 0) {
            EXPECT_EQ("", result.standardOutput);
        }
        EXPECT_EQ(step.fileAfter, readBytes(data.file("f.txt")));
        EXPECT_TRUE(leftWorkingDirectories().empty());
    }
}

}  // namespace
