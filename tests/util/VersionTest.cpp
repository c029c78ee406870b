#include "util/Version.h"

#include "util/CrException.h"

#include <gtest/gtest.h>

#include <functional>

namespace ostrel {
namespace {

// The message of the CrException that action throws, or a note that it threw none.
std::string failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CrException& exception) {
        EXPECT_EQ(E_FAIL, exception.getCode());
        return exception.getMessage();
    }
    return "(no exception)";
}

std::string parseFailure(const std::string& text) {
    return failureOf([&text] { Version version(text); });
}

TEST(VersionTest, ParsesOneToFourNumbers) {
    const Version one(1, 0, 0, 0, "");
    for (const char* text : {"1", "1.0", "1.0.0.0", "1..", " +1.0"}) {
        const Version parsed(text);
        EXPECT_EQ(one, parsed) << text;
        EXPECT_EQ("1.0.0.0", parsed.toString()) << text;
        EXPECT_EQ("", parsed.qualifier) << text;
    }
    const Version full("400.999.9999.123456");
    EXPECT_EQ("400.999.9999.123456", full.toString());
    EXPECT_EQ(999, full.getMinor());
    EXPECT_EQ(9999, full.getPatchLevel());
    EXPECT_EQ("3.0.5.0", Version("3..5").toString());
    EXPECT_NE(Version("1.0"), Version("1.0.0.1"));
}

TEST(VersionTest, CollectsTheQualifier) {
    const Version beta("1.0-beta");
    EXPECT_EQ("-beta", beta.qualifier);
    EXPECT_EQ(Version(1, 0, 0, 0, ""), beta);

    const Version candidate("2.1rc.3");
    EXPECT_EQ("rc3", candidate.qualifier);
    EXPECT_EQ("2.1.0.0", candidate.toString());

    const Version letters("x");
    EXPECT_EQ("x", letters.qualifier);
    EXPECT_EQ("0.0.0.0", letters.toString());

    // Atoms after the qualifier started do not count as numbers.
    const Version longTail("1.2.3.4x.5.6");
    EXPECT_EQ("x56", longTail.qualifier);
    EXPECT_EQ("1.2.3.4", longTail.toString());

    EXPECT_EQ("q", Version(1, 2, 3, 4, "q").qualifier);
}

TEST(VersionTest, BuildSpillsIntoThePatchLevel) {
    EXPECT_EQ(Version("1.0.1.0"), Version("1.0.0.1000000"));
    EXPECT_EQ("1.0.1.0", Version("1.0.0.1000000").toString());
    // A build beyond the 32-bit range is read as the largest 32-bit number.
    EXPECT_EQ("1.2.2150.483647", Version("1.2.3.99999999999").toString());
}

TEST(VersionTest, RefusesEmptyTextsAndTooManyAtoms) {
    EXPECT_EQ("Version cannot be constructed from an empty string.", parseFailure(""));
    EXPECT_EQ("The version string '1.2.3.4.5' contains too many version atoms.", parseFailure("1.2.3.4.5"));
    EXPECT_EQ("The version string '1.2.3.4..' contains too many version atoms.", parseFailure("1.2.3.4.."));
    EXPECT_EQ("1.2.3.4", Version("1.2.3.4.").toString());
}

TEST(VersionTest, EnforcesTheBoundsWithTheirMessages) {
    EXPECT_EQ("Illegal Major version number. Restriction: 0 <= Major <= 400. Specified Major version number was 401",
              parseFailure("401"));
    EXPECT_EQ("Illegal Major version number. Restriction: 0 <= Major <= 400. Specified Major version number was -1",
              parseFailure("-1.0"));
    EXPECT_EQ("Illegal Minor version number. Restriction: 0 <= Minor <= 999. Specified Minor version number was 1000",
              parseFailure("1.1000"));
    EXPECT_EQ("Illegal Minor version number. Restriction: 0 <= Minor <= 999. Specified Minor version number was -5",
              failureOf([] { Version(1, -5, 0, 0, ""); }));
    EXPECT_EQ("Illegal Patch Level number. Restriction: 0 <= Patch Level <= 9999. Specified Patch Level was 10000",
              parseFailure("1.0.10000"));
    EXPECT_EQ("Illegal Major version number. Restriction: 0 <= Major <= 400. Specified Major version number was "
              "2147483647",
              parseFailure("99999999999"));
}

TEST(VersionTest, FailedSetNumbersKeepsThePreviousNumber) {
    Version version("2.5.7.9");
    EXPECT_EQ("Illegal Patch Level number. Restriction: 0 <= Patch Level <= 9999. Specified Patch Level was -1",
              failureOf([&version] { version.setNumbers(1, 1, -1, 0); }));
    EXPECT_EQ("2.5.7.9", version.toString());
    version.setNumbers(3, 0, 0, 0);
    EXPECT_EQ("3.0.0.0", version.toString());
}

}  // namespace
}  // namespace ostrel
