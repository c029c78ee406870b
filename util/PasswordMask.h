#ifndef OSTREL_PASSWORDMASK_H
#define OSTREL_PASSWORDMASK_H

#include <string>

namespace ostrel {

// The text with the value of every "PWD=" key (any letter case; the value
// runs to the next ';', which stays, or to the end) replaced by "<REMOVED>",
// so that connection-string text never shows a password. Masking a masked
// text changes nothing.
std::string maskPasswords(const std::string& text);

}  // namespace ostrel

#endif
