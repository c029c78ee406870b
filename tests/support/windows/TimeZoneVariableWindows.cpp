#include "tests/support/ScopedTimeZone.h"

#include <stdlib.h>
#include <time.h>

namespace testing_support {

void setTimeZoneVariable(const std::optional<std::string>& zone) {
    // An empty value removes the variable.
    ::_putenv_s("TZ", zone ? zone->c_str() : "");
    ::_tzset();
}

}  // namespace testing_support
