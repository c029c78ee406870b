#ifndef OSTREL_UNIQUENAME_H
#define OSTREL_UNIQUENAME_H

#include <string>

namespace ostrel {

// A new text for unique file names: a GUID as 36 lower-case hexadecimal
// characters in the groups 8-4-4-4-12, or, when the system cannot make a
// GUID, a pseudo-random number from 1 to 7fff in lower-case hexadecimal.
std::string createUniqueName();

}  // namespace ostrel

#endif
