#include "step/CountText.h"

#include <cstdio>

std::string sizeForPeople(std::uintmax_t bytes) {
    static const char* const units[] = {"KiB", "MiB", "GiB", "TiB", "PiB"};
    if (bytes < 1024) return countText(bytes, "byte");
    double value = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    while (value >= 1024 && unit + 1 < sizeof units / sizeof units[0]) {
        value /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

std::string exactSize(std::uintmax_t bytes) {
    return bytes < 1024 ? countText(bytes, "byte") : countText(bytes, "byte") + " (" + sizeForPeople(bytes) + ")";
}
