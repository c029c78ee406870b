#ifndef HEMWRIGHT_COMMANDLINE_H
#define HEMWRIGHT_COMMANDLINE_H

#include <optional>
#include <ostream>

// The host starts hemwright without arguments; only a person types one, and
// a mistyped option must never run the step in the current directory.
//
// - Any argument that asks for help ("-h", "-?", "/?", "--help") or the
//   version ("-V", "--version") is answered on out, whatever else the line
//   holds (the first such argument decides which), and nothing is read or
//   written: exit code 0, or 74 when out cannot be written.
// - Otherwise any argument that looks like an option (begins with one of
//   the platform's option characters: "-", on Windows also "/") is refused
//   with one line of usage on err: exit code 64, nothing touched.
// - Otherwise each argument (a plain word) is named on err in one line and
//   ignored, as the host contract requires; nothing is returned and the run
//   goes on as usual.
std::optional<int> answerCommandLine(int argc, const char* const argv[], std::ostream& out, std::ostream& err);

#endif
