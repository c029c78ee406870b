#ifndef OSTREL_MEMORYRESERVE_H
#define OSTREL_MEMORYRESERVE_H

#include <cstddef>

// Memory set aside for the moment memory runs out. At an address-space
// limit the first allocation that fails is usually not the last one that is
// needed: the exception itself, the destructors that run while it unwinds,
// the failure's message and the output document all want a little memory,
// and without it the process ended by abort instead of with its exit code.
// So the process sets a reserve aside when it starts; the first time an
// allocation through operator new fails, the reserve is given back and that
// allocation fails with std::bad_alloc as it would have, leaving the room
// for what follows. One reserve per process; not for use from several
// threads.
namespace ostrel {

// Sets bytes aside and routes the first failed allocation through the
// reserve. Returns false, and sets nothing aside, when the bytes cannot be
// had: memory is then too short for the program to do its work.
bool setMemoryReserveAside(std::size_t bytes);

// Gives the reserve back now, if it is still held; for failures that are
// reported by throwing after memory ran short elsewhere (a library that
// allocates with malloc and gives up). Never throws.
void releaseMemoryReserve() noexcept;

}  // namespace ostrel

#endif
