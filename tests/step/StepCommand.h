#ifndef HEMWRIGHT_TESTS_STEP_STEPCOMMAND_H
#define HEMWRIGHT_TESTS_STEP_STEPCOMMAND_H

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace step_testing {

struct StepResult {
    int exitStatus = -1;  // -1 when the program did not exit normally
    std::string standardOutput;
    std::string standardError;
};

// How the program is started, beyond its arguments.
struct StepLaunch {
    std::string executable = HEMWRIGHT_STEP_EXECUTABLE;
    // The current directory of the program; empty: the test's own.
    std::string workDirectory;
    // Run as the user nobody (group nogroup, no supplementary groups), as an
    // operator without privileges would. The built programs are then run
    // from copies that nobody can reach (see nobodyCannotRun).
    bool asNobody = false;
    // Standard output is a pipe whose reader has gone.
    bool standardOutputClosed = false;
    // RLIMIT_FSIZE in bytes with SIGXFSZ ignored, so that a write past it
    // fails as on a full disk; negative: no limit.
    std::int64_t fileSizeLimit = -1;
    // A file to read standard input from; empty: the test's own.
    std::string standardInput;
    // Standard error is a terminal (a pseudo-terminal whose output is
    // collected); otherwise it is a file.
    bool standardErrorTerminal = false;
    // Called with the child's process id once it runs, before it is waited
    // for (to send it a signal, say).
    std::function<void(pid_t)> whileRunning;
};

// Runs the program (hemwright-step unless launch says otherwise) with the
// arguments, with TMPDIR set to temporaryDirectory so that the working
// directories it makes can be inspected, and collects its exit status and
// both output streams (kept in temporaryDirectory while it runs).
StepResult runStep(const std::vector<std::string>& arguments, const std::string& temporaryDirectory,
                   const StepLaunch& launch = StepLaunch());

// Why the user nobody cannot run the tool on files in dataDirectory here
// (no user nobody, not root, or a directory on the way that nobody may not
// enter), or empty when it can. The built programs themselves are copied to
// where nobody reaches them, so that a build tree in a directory only its
// owner may enter (a checkout under a 0700 folder) does not matter.
std::string nobodyCannotRun(const std::string& dataDirectory);

// A data directory for the files a step works on and a separate directory
// that the tool uses as TMPDIR, so tests can see which working directories
// it leaves behind.
class StepTest : public ::testing::Test {
protected:
    // Writes bytes to a file of the data directory; returns its path.
    std::string dataFile(const std::string& name, const std::string& bytes) {
        const std::string path = data.file(name);
        testing_support::writeBytes(path, bytes);
        return path;
    }

    StepResult run(const std::vector<std::string>& arguments, const StepLaunch& launch = StepLaunch()) {
        return runStep(arguments, temporary.path(), launch);
    }

    // The working directories the tool left in its TMPDIR.
    std::vector<std::string> leftWorkingDirectories() {
        return testing_support::listDirectory(temporary.path());
    }

    testing_support::ScopedTempDir data;
    testing_support::ScopedTempDir temporary;
};

}  // namespace step_testing

#endif
