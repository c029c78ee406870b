#ifndef HEMWRIGHT_TESTS_SUPPORT_SCOPEDTIMEZONE_H
#define HEMWRIGHT_TESTS_SUPPORT_SCOPEDTIMEZONE_H

#include <optional>
#include <string>

namespace testing_support {

// Sets this process's local time zone through the TZ variable for the life
// of the object ("UTC", or a name and an offset west of UTC in hours such as
// "XYZ-2", which the C libraries of both platforms read) and restores the
// earlier value.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const std::string& zone);
    ~ScopedTimeZone();
    ScopedTimeZone(const ScopedTimeZone&) = delete;
    ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

private:
    std::optional<std::string> saved_;
};

// Sets TZ to zone, or removes it when there is none, and has the C library
// read it again. Each platform's folder implements it.
void setTimeZoneVariable(const std::optional<std::string>& zone);

}  // namespace testing_support

#endif
