#ifndef HEMWRIGHT_STEP_COUNTTEXT_H
#define HEMWRIGHT_STEP_COUNTTEXT_H

#include <cstdint>
#include <string>

// "1 byte", "0 bytes", "3 files": a count with its unit, singular only for 1.
inline std::string countText(std::uintmax_t count, const std::string& unit) {
    return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

#endif
