#include "util/UniqueName.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

TEST(UniqueNameTest, GuidTextsHaveTheFixedFormAndDifferFromCallToCall) {
    const std::regex guidForm("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}");
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::string name = ostrel::createUniqueName();
        EXPECT_TRUE(std::regex_match(name, guidForm)) << name;
        seen.insert(name);
    }
    EXPECT_EQ(100u, seen.size());
}

TEST(UniqueNameTest, RandomFallbackIsHexadecimalFromOneTo7fff) {
    const std::regex hexadecimal("[1-9a-f][0-9a-f]{0,3}");
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) {
        const std::string name = ostrel::createRandomName();
        ASSERT_TRUE(std::regex_match(name, hexadecimal)) << name;
        const unsigned long value = std::stoul(name, nullptr, 16);
        EXPECT_GE(value, 1u);
        EXPECT_LE(value, 0x7fffu);
        seen.insert(name);
    }
    // A fixed or badly seeded generator would repeat itself far more.
    EXPECT_GT(seen.size(), 1800u);
}
