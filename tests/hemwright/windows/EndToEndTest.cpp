// End-to-end runs of what only the Windows program does.
#include "tests/hemwright/EndToEndTest.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// On Windows "/" begins an option as "-" does, and the help names the
// README.txt beside the program: there are no manual pages.
TEST_F(EndToEndTest, WindowsArgumentsFollowWindowsConventions) {
    expectArgumentCases({
        {{"/x"}, 64, "", unknownOption("/x"), false},
        {{"/help"}, 64, "", unknownOption("/help"), false},
        {{"--help"}, 0, "Manual: README.txt beside hemwright.exe", "", false},
    });
    testing_support::HostOptions options;
    options.arguments = {"/?"};
    const std::string help =
        withLineFeeds(testing_support::runHost(HEMWRIGHT_EXECUTABLE, work.path(), options).standardOutput);
    EXPECT_EQ(std::string::npos, help.find("man ")) << help;
    EXPECT_EQ(std::string::npos, help.find("/usr/share")) << help;
}

}  // namespace
