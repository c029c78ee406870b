#ifndef OSTREL_UNIQUENAME_H
#define OSTREL_UNIQUENAME_H

#include <string>

namespace ostrel {

// A new text for unique file names: a GUID as 36 lower-case hexadecimal
// characters in the groups 8-4-4-4-12, or, when the system cannot make a
// GUID, createRandomName().
std::string createUniqueName();

// The fallback of createUniqueName: a pseudo-random number from 1 to 7fff in
// lower-case hexadecimal without leading zeros. The numbers come from one
// process-wide generator, seeded on first use with the local time of day in
// microseconds. Not thread-safe.
std::string createRandomName();

}  // namespace ostrel

#endif
