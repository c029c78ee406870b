#include "tests/support/ScopedTimeZone.h"

#include <cstdlib>
#include <ctime>

namespace testing_support {

void setTimeZoneVariable(const std::optional<std::string>& zone) {
    if (zone) {
        ::setenv("TZ", zone->c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
}

}  // namespace testing_support
