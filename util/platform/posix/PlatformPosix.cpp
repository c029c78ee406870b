// POSIX implementation of the platform seam.
#include "util/platform/Platform.h"

#include <strings.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <boost/uuid/random_generator.hpp>
#include <boost/uuid/uuid.hpp>
#include <boost/uuid/uuid_io.hpp>

namespace ostrel::platform {

std::uint32_t lastErrorCode() { return static_cast<std::uint32_t>(errno); }

void setLastErrorCode(std::uint32_t code) { errno = static_cast<int>(code); }

bool systemErrorText(std::uint32_t code, std::string& text) {
    if (code > static_cast<std::uint32_t>(INT32_MAX)) {
        errno = EINVAL;
        return false;
    }
    // strerrordesc_np, unlike strerror, tells an unknown code apart by
    // returning null instead of "Unknown error N".
    const char* description = strerrordesc_np(static_cast<int>(code));
    if (description == nullptr) {
        errno = EINVAL;  // what strerror reports for a number it does not know
        return false;
    }
    text = description;
    return true;
}

bool isNotFoundError(std::uint32_t code) { return code == ENOENT || code == ENOTDIR; }

bool isDirectoryError(std::uint32_t code) { return code == EISDIR; }

bool isCrossDeviceError(std::uint32_t code) { return code == EXDEV; }

bool isPathSeparator(char character) { return character == '/'; }

int compareIgnoreCase(const char* left, const char* right) { return ::strcasecmp(left, right); }

bool createGuidText(std::string& text) {
    try {
        // Seeded once from the system's entropy; a system call per name
        // would cost a step of many small files more than the name is worth.
        static boost::uuids::random_generator_mt19937 generator;
        text = boost::uuids::to_string(generator());
        return text.size() == 36;
    } catch (const std::exception&) {
        return false;
    }
}

std::int64_t localTimeToSeconds(std::tm fields) {
    return static_cast<std::int64_t>(::mktime(&fields));
}

std::int64_t localTimeOfDayMicroseconds() {
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    std::tm local {};
    ::localtime_r(&now.tv_sec, &local);
    return (static_cast<std::int64_t>(local.tm_hour) * 3600 + local.tm_min * 60 + local.tm_sec) * 1000000 +
           now.tv_nsec / 1000;
}

std::string currentLocalTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    char buffer[32] = {};
    if (::asctime_r(&local, buffer) == nullptr) {
        return std::string();
    }
    std::string text(buffer);
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

bool moduleErrorText(const std::string&, std::uint32_t, std::string&) {
    // What strerror reports for a number it does not know.
    errno = EINVAL;
    return false;
}

PostedErrorInfo takePostedErrorInfo() { return PostedErrorInfo(); }

}  // namespace ostrel::platform
