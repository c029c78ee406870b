#ifndef OSTREL_PLATFORM_OTHERWRITERS_H
#define OSTREL_PLATFORM_OTHERWRITERS_H

namespace ostrel::platform {

// Whether another process has a file open for writing, as far as the system
// can tell: a live log that is rewritten loses what its writer appends
// afterwards, so such a file is left alone.
enum class OtherWriters {
    None,       // nobody else has it open for writing
    Present,    // some process has it open for writing
    Rewriting,  // another process is rewriting it (or holds it locked)
    Unknown,    // the system cannot tell here (see the platform's notes)
};

}  // namespace ostrel::platform

#endif
