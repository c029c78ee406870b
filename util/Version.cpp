#include "util/Version.h"

#include "util/CrException.h"
#include "util/Strings.h"

#include <cstdlib>
#include <limits>
#include <vector>

namespace ostrel {

namespace {

constexpr std::uint32_t kMaxMajor = 400;
constexpr std::uint32_t kMaxMinor = 999;
constexpr std::uint32_t kMaxPatchLevel = 9999;

// Weights of the fields in the packed number.
constexpr std::int64_t kMinorFactor = 1000;
constexpr std::int64_t kPatchLevelFactor = 10000;
constexpr std::int64_t kBuildFactor = 1000000;
constexpr std::int64_t kMajorUnit = 10000000000000;  // 10^13
constexpr std::int64_t kMinorUnit = 10000000000;     // 10^10
constexpr std::int64_t kPatchLevelUnit = kBuildFactor;

constexpr std::size_t kMaxAtoms = 4;

// 400.999.9999.999999, the largest number whose fields print within bounds.
constexpr std::int64_t kLargestBuildDigits = kPatchLevelUnit - 1;
constexpr std::int64_t kLargestCanonicalNumber =
    kMaxMajor * kMajorUnit + kMaxMinor * kMinorUnit + kMaxPatchLevel * kPatchLevelUnit + kLargestBuildDigits;

// Reads the leading decimal number of atom like strtol (white space and a
// sign allowed, 0 without digits), clamped to the 32-bit range; whatever
// follows the number is left in rest.
std::int32_t readLeadingNumber(const std::string& atom, std::string& rest) {
    const char* start = atom.c_str();
    char* end = nullptr;
    const long value = std::strtol(start, &end, 10);
    rest = atom.substr(static_cast<std::size_t>(end - start));
    if (value > std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value < std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

// The checks compare unsigned so that a negative number fails like a too
// large one.
bool exceeds(std::int32_t value, std::uint32_t bound) { return static_cast<std::uint32_t>(value) > bound; }

}  // namespace

Version::Version(const std::string& text) { parse(text); }

Version::Version(std::int32_t major, std::int32_t minor, std::int32_t patchLevel, std::int32_t build,
                 const std::string& qualifier)
    : qualifier(qualifier) {
    setNumbers(major, minor, patchLevel, build);
}

void Version::parse(const std::string& text) {
    if (text.empty()) {
        throw CrException("Version cannot be constructed from an empty string.", E_FAIL);
    }
    std::vector<std::int32_t> numbers;
    std::string tail;
    for (const std::string& atom : SplitString(text, ".")) {
        // Once the qualifier has started, the remaining atoms belong to it.
        if (!tail.empty()) {
            tail += atom;
            continue;
        }
        std::string rest;
        numbers.push_back(readLeadingNumber(atom, rest));
        tail += rest;
    }
    qualifier = tail;
    if (numbers.size() > kMaxAtoms) {
        throw CrException("The version string '" + text + "' contains too many version atoms.", E_FAIL);
    }
    numbers.resize(kMaxAtoms, 0);
    setNumbers(numbers[0], numbers[1], numbers[2], numbers[3]);
}

void Version::setNumbers(std::int32_t major, std::int32_t minor, std::int32_t patchLevel, std::int32_t build) {
    if (exceeds(major, kMaxMajor)) {
        throw CrException("Illegal Major version number. Restriction: 0 <= Major <= " + std::to_string(kMaxMajor) +
                              ". " + "Specified Major version number was " + std::to_string(major),
                          E_FAIL);
    }
    if (exceeds(minor, kMaxMinor)) {
        throw CrException("Illegal Minor version number. Restriction: 0 <= Minor <= " + std::to_string(kMaxMinor) +
                              ". " + "Specified Minor version number was " + std::to_string(minor),
                          E_FAIL);
    }
    if (exceeds(patchLevel, kMaxPatchLevel)) {
        throw CrException("Illegal Patch Level number. Restriction: 0 <= Patch Level <= " +
                              std::to_string(kMaxPatchLevel) + ". " + "Specified Patch Level was " +
                              std::to_string(patchLevel),
                          E_FAIL);
    }
    // The build is unbounded and may spill into the patch level.
    number_ = ((static_cast<std::int64_t>(major) * kMinorFactor + minor) * kPatchLevelFactor + patchLevel) *
                  kBuildFactor +
              build;
}

std::string Version::toString() const {
    // An unbounded build can carry the packed number below zero or past
    // 400.999.9999.999999, where the four fields would come out negative or
    // out of their bounds and the text would not read back; the excess then
    // stays in the build, which has no bound.
    if (number_ < 0) {
        return "0.0.0." + std::to_string(number_);
    }
    if (number_ > kLargestCanonicalNumber) {
        return std::to_string(kMaxMajor) + "." + std::to_string(kMaxMinor) + "." + std::to_string(kMaxPatchLevel) +
               "." + std::to_string(number_ - kLargestCanonicalNumber + kLargestBuildDigits);
    }
    const std::int64_t major = number_ / kMajorUnit;
    const std::int64_t build = number_ % kPatchLevelUnit;
    return std::to_string(major) + "." + std::to_string(getMinor()) + "." + std::to_string(getPatchLevel()) + "." +
           std::to_string(build);
}

std::int64_t Version::getMinor() const { return (number_ % kMajorUnit) / kMinorUnit; }

std::int64_t Version::getPatchLevel() const { return (number_ % kMinorUnit) / kPatchLevelUnit; }

}  // namespace ostrel
