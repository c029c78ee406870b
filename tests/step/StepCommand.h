#ifndef HEMWRIGHT_TESTS_STEP_STEPCOMMAND_H
#define HEMWRIGHT_TESTS_STEP_STEPCOMMAND_H

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace step_testing {

struct StepResult {
    int exitStatus = -1;  // -1 when the tool did not exit normally
    std::string standardOutput;
    std::string standardError;
};

// Runs the built hemwright-step with the arguments, with TMPDIR set to
// temporaryDirectory so that the working directories it makes can be
// inspected, and collects its exit status and both output streams.
StepResult runStep(const std::vector<std::string>& arguments, const std::string& temporaryDirectory);

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

    StepResult run(const std::vector<std::string>& arguments) { return runStep(arguments, temporary.path()); }

    // The working directories the tool left in its TMPDIR.
    std::vector<std::string> leftWorkingDirectories() {
        return testing_support::listDirectory(temporary.path());
    }

    testing_support::ScopedTempDir data;
    testing_support::ScopedTempDir temporary;
};

}  // namespace step_testing

#endif
