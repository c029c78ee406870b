#include "util/UniqueName.h"

#include "util/platform/Platform.h"

#include <cstdint>
#include <cstdio>

#include <boost/date_time/posix_time/posix_time.hpp>
#include <boost/random/mersenne_twister.hpp>
#include <boost/random/uniform_int_distribution.hpp>

namespace ostrel {

namespace {

boost::random::mt19937& randomGenerator() {
    static boost::random::mt19937 generator(static_cast<std::uint32_t>(
        boost::posix_time::microsec_clock::local_time().time_of_day().total_microseconds()));
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
    boost::random::uniform_int_distribution<int> distribution(1, 32767);
    char text[8] = {};
    std::snprintf(text, sizeof text, "%x", static_cast<unsigned>(distribution(randomGenerator())));
    return text;
}

}  // namespace ostrel
