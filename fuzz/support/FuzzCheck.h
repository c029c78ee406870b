#ifndef HEMWRIGHT_FUZZ_FUZZCHECK_H
#define HEMWRIGHT_FUZZ_FUZZCHECK_H

#include <string>

// How a fuzz target reports a broken property: the message goes to standard
// error and the process aborts, so that libFuzzer keeps the input as a crash.
namespace fuzz {

[[noreturn]] void failProperty(const std::string& message);

// Quotes bytes for a message: printable ASCII as it is, everything else as
// "\xNN", so that a failure report shows exactly what differed.
std::string quoteBytes(const std::string& bytes);

// failProperty with "<what>: expected <quoted expected>, got <quoted actual>"
// unless the two are equal.
void expectEqualBytes(const std::string& what, const std::string& expected, const std::string& actual);

}  // namespace fuzz

#endif
