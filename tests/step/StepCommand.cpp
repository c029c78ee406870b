#include "tests/step/StepCommand.h"

#include "tests/support/TestFiles.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace step_testing {

StepResult runStep(const std::vector<std::string>& arguments, const std::string& temporaryDirectory) {
    const std::string outPath = temporaryDirectory + "/.step-stdout";
    const std::string errPath = temporaryDirectory + "/.step-stderr";
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>("hemwright-step"));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
            ::setenv("TMPDIR", temporaryDirectory.c_str(), 1) != 0) {
            _exit(127);
        }
        ::execv(HEMWRIGHT_STEP_EXECUTABLE, argv.data());
        _exit(127);
    }
    StepResult result;
    int status = 0;
    if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        result.exitStatus = WEXITSTATUS(status);
    }
    result.standardOutput = testing_support::readBytes(outPath);
    result.standardError = testing_support::readBytes(errPath);
    ::unlink(outPath.c_str());
    ::unlink(errPath.c_str());
    return result;
}

}  // namespace step_testing
