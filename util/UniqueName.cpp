#include "util/UniqueName.h"

#include "util/platform/Platform.h"

#include <cstdint>
#include <cstdio>
#include <random>

namespace ostrel {

namespace {

std::mt19937& randomGenerator() {
    static std::mt19937 generator(static_cast<std::uint32_t>(platform::localTimeOfDayMicroseconds()));
    return generator;
}

}  // namespace

std::string createUniqueName() {
    std::string guid;
    if (platform::createGuidText(guid)) {
        return guid;
    }
    return createRandomName();
}

std::string createRandomName() {
    std::uniform_int_distribution<int> distribution(1, 32767);
    char text[8] = {};
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(distribution(randomGenerator())));
    return text;
}

}  // namespace ostrel
