#ifndef OSTREL_PASSWORDMASK_H
#define OSTREL_PASSWORDMASK_H

#include <string>

namespace ostrel {

// The text with the value of every "PWD=" key (any letter case; the value
// runs to the next ';' or line break, which stays, or to the end) replaced
// by "<REMOVED>", so that connection-string text never shows a password. A
// value ends at a line break because failure texts join several messages
// with line feeds, and the next message is not part of the password.
// Masking a masked text changes nothing.
std::string maskPasswords(const std::string& text);

}  // namespace ostrel

#endif
