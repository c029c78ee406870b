#include "plugin/data/DateImpl.h"

#include "tests/support/ScopedTimeZone.h"

#include <gtest/gtest.h>

namespace Vellamor::Plugin {
namespace {

// The POSIX C library reads a local time before the epoch as the negative
// number of seconds it is; Windows' C library reads none (-1 there).
TEST(DateImplTest, ToTimeGivesAMomentBeforeTheEpoch) {
    const testing_support::ScopedTimeZone fixedOffset("XYZ-2");  // two hours east of UTC
    EXPECT_EQ(-7200, DateImpl("1970-01-01T00:00:00").toTime());
}

}  // namespace
}  // namespace Vellamor::Plugin
