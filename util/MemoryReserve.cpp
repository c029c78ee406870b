#include "util/MemoryReserve.h"

#include <cstdlib>
#include <new>

namespace ostrel {

namespace {

// Taken with malloc, so that giving it back needs nothing from operator new.
void* reserve = nullptr;

// operator new calls this when an allocation fails; it retries when the
// handler returns, and fails with std::bad_alloc when it throws one.
void onAllocationFailure() {
    releaseMemoryReserve();
    throw std::bad_alloc();
}

}  // namespace

bool setMemoryReserveAside(std::size_t bytes) {
    reserve = std::malloc(bytes);
    if (reserve == nullptr) {
        return false;
    }
    std::set_new_handler(onAllocationFailure);
    return true;
}

void releaseMemoryReserve() noexcept {
    // Later failures go straight to std::bad_alloc.
    std::set_new_handler(nullptr);
    std::free(reserve);
    reserve = nullptr;
}

}  // namespace ostrel
