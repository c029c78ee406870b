#ifndef HEMWRIGHT_INFORMATIONREQUEST_H
#define HEMWRIGHT_INFORMATIONREQUEST_H

#include <optional>
#include <ostream>

// An operator who runs hemwright by hand with "--help" or "--version" gets
// an answer instead of a run in the current directory. Only exactly one
// argument that is exactly one of these two asks: the host passes none, and
// any other argument list is ignored as the host contract requires.

// When the command line is such a request, prints the answer to out and
// returns the exit code: 0, or 74 when out cannot be written. Otherwise
// prints nothing and returns nothing, and the run goes on as usual.
std::optional<int> answerInformationRequest(int argc, const char* const argv[], std::ostream& out);

#endif
