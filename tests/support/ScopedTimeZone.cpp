#include "tests/support/ScopedTimeZone.h"

#include <cstdlib>

namespace testing_support {

ScopedTimeZone::ScopedTimeZone(const std::string& zone) {
    if (const char* old = std::getenv("TZ")) {
        saved_ = old;
    }
    setTimeZoneVariable(zone);
}

ScopedTimeZone::~ScopedTimeZone() { setTimeZoneVariable(saved_); }

}  // namespace testing_support
