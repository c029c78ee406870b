// Found by fuzzing: a build large enough to carry the packed number past
// 400.999.9999.999999, or negative enough to carry it below zero, printed a
// text with a major above 400 or negative fields, which did not read back.
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
    // A build that spills only into the fields below the bounds is printed
    // in those fields, as before.
    expectReadsBack("1.0.0.1000000", "1.0.1.0");
    expectReadsBack("1.0.0.-1", "0.999.9999.999999");
}

}  // namespace
}  // namespace ostrel
