#ifndef HEMWRIGHT_STEP_COUNTTEXT_H
#define HEMWRIGHT_STEP_COUNTTEXT_H

#include <cstdint>
#include <string>

// "1 byte", "0 bytes", "3 files": a count with its unit, singular only for 1.
inline std::string countText(std::uintmax_t count, const std::string& unit) {
    return std::to_string(count) + " " + unit + (count == 1 ? "" : "s");
}

// A size for people: "512 bytes", "1.5 KiB", "12.0 MiB", "3.2 GiB" (units
// of 1024).
std::string sizeForPeople(std::uintmax_t bytes);

// "12582912 bytes (12.0 MiB)": exact, with the size for people.
std::string exactSize(std::uintmax_t bytes);

#endif
