#include "util/TemporaryName.h"
#include "util/UniqueName.h"
#include "util/platform/Platform.h"

#include <gtest/gtest.h>

#include <set>

namespace {

bool isLowerHexDigit(char character) {
    return (character >= '0' && character <= '9') || (character >= 'a' && character <= 'f');
}

// Whether name is 36 characters of lower-case hexadecimal digits in the
// groups 8-4-4-4-12 joined by '-'.
bool hasGuidForm(const std::string& name) {
    if (name.size() != 36) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const bool hyphenPlace = i == 8 || i == 13 || i == 18 || i == 23;
        if (hyphenPlace ? name[i] != '-' : !isLowerHexDigit(name[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace

TEST(UniqueNameTest, GuidTextsHaveTheFixedFormAndDifferFromCallToCall) {
    std::set<std::string> seen;
    for (int i = 0; i < 100; ++i) {
        const std::string name = ostrel::createUniqueName();
        EXPECT_TRUE(hasGuidForm(name)) << name;
        seen.insert(name);
    }
    EXPECT_EQ(100u, seen.size());
}

TEST(UniqueNameTest, RandomFallbackIsHexadecimalFromOneTo7fff) {
    std::set<std::string> seen;
    for (int i = 0; i < 2000; ++i) {
        const std::string name = ostrel::createRandomName();
        ASSERT_FALSE(name.empty());
        ASSERT_LE(name.size(), 4u) << name;
        ASSERT_NE('0', name[0]) << name;
        for (const char character : name) {
            ASSERT_TRUE(isLowerHexDigit(character)) << name;
        }
        EXPECT_LE(std::stoul(name, nullptr, 16), 0x7fffu);
        seen.insert(name);
    }
    // A fixed or badly seeded generator would repeat itself far more.
    EXPECT_GT(seen.size(), 1800u);
}

TEST(UniqueNameTest, TemporaryPathStaysBesideTheFileAndFitsTheNameLimit) {
    const std::string e9 = "\xC3\xA9";  // one two-byte character
    struct Case {
        std::string path;
        std::size_t limit;
        std::string expected;
    } const cases[] = {
        {"dir/report.txt", 255, "dir/report.txt-tmp-u"},
        {"report.txt", 255, "report.txt-tmp-u"},
        // exactly fits where '\\' separates; part of the name to cut where not
        {"a\\b\\long", 10, ostrel::platform::isPathSeparator('\\') ? "a\\b\\long-tmp-u" : "a\\b\\-tmp-u"},
        {"d/abcdefgh", 10, "d/abcd-tmp-u"},
        {"d/abc" + e9 + "fgh", 10, "d/abc-tmp-u"},  // never half a character
        {"/x/" + std::string(255, 'n'), 255, "/x/" + std::string(249, 'n') + "-tmp-u"},
        {"d/", 4, "d/-tmp-u"},         // no name to cut
        {"d/abcdef", 6, "d/abcdef-tmp-u"},  // the tail alone does not fit
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, ostrel::temporaryPathBeside(c.path, "u", c.limit)) << c.path;
    }
}
