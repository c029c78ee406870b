// Every packed number prints as a text that reads back as the same number:
// a build large enough to carry it past 400.999.9999.999999, or negative
// enough to carry it below zero, stays in the build field rather than
// giving a major above 400 or negative fields.
#include "util/Version.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel {
namespace {

void expectReadsBack(const std::string& text, const std::string& printed) {
    const Version version(text);
    EXPECT_EQ(printed, version.toString()) << text;
    const Version reread(version.toString());
    EXPECT_TRUE(reread == version) << text;
    EXPECT_EQ(printed, reread.toString()) << text;
}

TEST(VersionTextReadBackTest, BuildBeyondTheLargestVersionStaysInTheBuild) {
    expectReadsBack("400.999.9999.99999901", "400.999.9999.99999901");
    expectReadsBack("400.999.9999.2147483647", "400.999.9999.2147483647");
    expectReadsBack("400.999.9999.1000000", "400.999.9999.1000000");
}

TEST(VersionTextReadBackTest, NegativeNumberIsPrintedAsABuild) {
    expectReadsBack("0.0.0.-1000001", "0.0.0.-1000001");
    expectReadsBack("0.0.0.-2147483648", "0.0.0.-2147483648");
}

TEST(VersionTextReadBackTest, NumbersWithinBoundsPrintFieldByField) {
    expectReadsBack("400.999.9999.999999", "400.999.9999.999999");
    // A build that spills only into fields that stay within the bounds is
    // carried into those fields.
    expectReadsBack("1.0.0.1000000", "1.0.1.0");
    expectReadsBack("1.0.0.-1", "0.999.9999.999999");
}

}  // namespace
}  // namespace ostrel
