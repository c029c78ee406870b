#ifndef HEMWRIGHT_STEP_RESULTOUTPUT_H
#define HEMWRIGHT_STEP_RESULTOUTPUT_H

#include <string>

// Writes text to standard output at once (nothing is held back, so it comes
// before anything hemwright prints afterwards). Throws StepFailure with
// kOutputErrorExitCode and the system's reason when it cannot: a result
// that was not delivered is a failure, not a success.
void printResult(const std::string& text);

#endif
