#ifndef HEMWRIGHT_STEP_PRINTABLENAME_H
#define HEMWRIGHT_STEP_PRINTABLENAME_H

#include <string>

// A file name (or any text from the user or the system) made safe to print
// on a terminal and readable on one line: tab, LF and CR as "\t", "\n" and
// "\r", every other control character (U+0000-U+001F, U+007F, and
// U+0080-U+009F, which terminals may act on) and every byte that is not
// part of well-formed UTF-8 as "\xHH" per byte, and the backslash as "\\"
// so that the escapes stay unambiguous. Other characters, letters beyond
// ASCII included, are kept as they are.
std::string printableName(const std::string& name);

#endif
