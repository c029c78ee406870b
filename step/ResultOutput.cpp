#include "step/ResultOutput.h"

#include "step/ExitCodes.h"
#include "util/ErrorResolver.h"
#include "util/platform/posix/Process.h"

void printResult(const std::string& text) {
    if (!ostrel::platform::writeToStandardOutput(text)) {
        throw StepFailure(kOutputErrorExitCode, "cannot write to standard output: " + lastSystemErrorText() + ".");
    }
}
