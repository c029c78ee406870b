#include "util/MemoryReserve.h"

#include "tests/support/posix/PosixHostRunner.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <new>

namespace ostrel {
namespace {

constexpr std::size_t kReserve = std::size_t(64) << 20;
constexpr std::size_t kHeadroom = std::size_t(16) << 20;

// The address space this process has mapped now.
std::size_t addressSpaceInUse() {
    std::size_t pages = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (statm != nullptr) {
        if (std::fscanf(statm, "%zu", &pages) != 1) {
            pages = 0;
        }
        std::fclose(statm);
    }
    return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

char* volatile sink = nullptr;

// In a child: the reserve is set aside, the address space bounded to a
// little above what is in use, and one allocation made to fail; then an
// allocation larger than that little room must succeed: it fits only in
// the room the reserve gave back.
[[noreturn]] void failOnceThenAllocate() {
    if (!setMemoryReserveAside(kReserve)) {
        std::_Exit(2);
    }
    const std::size_t inUse = addressSpaceInUse();
    const rlimit limit{inUse + kHeadroom, inUse + kHeadroom};
    if (inUse == 0 || ::setrlimit(RLIMIT_AS, &limit) != 0) {
        std::_Exit(3);
    }
    try {
        volatile std::size_t huge = std::size_t(1) << 30;
        sink = new char[huge];
        std::_Exit(4);
    } catch (const std::bad_alloc&) {
    }
    std::_Exit(std::malloc(kReserve - kHeadroom) != nullptr ? 0 : 1);
}

TEST(MemoryReserveTest, FirstFailedAllocationGivesTheReserveBack) {
    if (!testing_support::kAddressSpaceCanBeBounded) {
        GTEST_SKIP() << "the address space cannot be bounded under AddressSanitizer";
    }
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(failOnceThenAllocate(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace ostrel
