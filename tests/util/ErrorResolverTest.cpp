#include "util/ErrorResolver.h"

#include "tests/support/SystemErrors.h"
#include "util/platform/Platform.h"

#include <gtest/gtest.h>

namespace {

using testing_support::SystemError;
using testing_support::systemErrorCode;

// The text for a code the system has no text for, which names the code the
// failed lookup left (EINVAL on POSIX systems, ERROR_MR_MID_NOT_FOUND on
// Windows).
std::string noTextFor(const std::string& code) {
    return "FormatMessage() failed with error number " + std::to_string(systemErrorCode(SystemError::NoTextForCode)) +
           " when trying to get  the error string for error number " + code + ".";
}

const char* const kNoErrorText =
    "The operating system did not report any error. This could be due to some resource being exhausted "
    "(file handles, memory or disk space).";

TEST(ErrorResolverTest, CodeZeroGivesTheFixedText) {
    ErrorResolver resolver(7);
    EXPECT_EQ(kNoErrorText, resolver.resolve(0, false));
    EXPECT_EQ(kNoErrorText, resolver.getText());
    EXPECT_EQ(0u, resolver.getCode());
}

TEST(ErrorResolverTest, UnknownCodeGivesTheFailureTextAndClearsTheLastError) {
    ostrel::platform::setLastErrorCode(systemErrorCode(SystemError::FileNotFound));
    ErrorResolver resolver;
    EXPECT_EQ(noTextFor("100000 ( = 0x186a0)"), resolver.resolve(100000, false));
    EXPECT_EQ(0u, ostrel::platform::lastErrorCode());
    EXPECT_EQ(noTextFor("2147500037 ( = 0x80004005)"), resolver.resolve(0x80004005u, false));
}

TEST(ErrorResolverTest, TidiesTheEndOfTheText) {
    const auto tidied = [](std::string text) {
        ErrorResolver::tidyText(text);
        return text;
    };
    EXPECT_EQ("Access is denied.", tidied("Access is denied.\r\n"));
    EXPECT_EQ("Text\r\nwith lines", tidied("Text\r\nwith lines \t\n "));
    EXPECT_EQ("Ends in one.", tidied("Ends in one.."));
    EXPECT_EQ("Ends in two..", tidied("Ends in two...\n"));
    EXPECT_EQ("..", tidied(".."));
    EXPECT_EQ("x.", tidied("x.. "));
    EXPECT_EQ(" \r\n", tidied(" \r\n"));
    EXPECT_EQ("", tidied(""));
    EXPECT_EQ(" lead", tidied(" lead"));
}

TEST(ErrorResolverTest, DatabaseCodesAndErrorInfoUseTheErrorObjects) {
    ErrorResolver resolver;
    EXPECT_EQ("No Error Info posted; HResult: 0x80040e00", resolver.resolve(0x80040E00u, false));
    EXPECT_EQ("No Error Info posted; HResult: 0x80040eff", resolver.resolve(0x80040EFFu, false));
    EXPECT_EQ("", resolver.resolve(0x40E00u, false));
    EXPECT_EQ("", resolver.resolve(0x40EFFu, false));
    EXPECT_EQ("No Error Info posted; HResult: 0x80004005", resolver.resolve(0x80004005u, true));
    EXPECT_EQ("", resolver.resolve(systemErrorCode(SystemError::FileNotFound), true));

    std::string text = "lead; ";
    resolver.getErrorInfoText(0x80040E14u, text);
    EXPECT_EQ("lead; No Error Info posted; HResult: 0x80040e14", text);
}

TEST(ErrorResolverTest, DispatchCodesNameTheirNumber) {
    ErrorResolver resolver;
    EXPECT_EQ("IDispatch error #1", resolver.resolve(0x80040201u, false));
    EXPECT_EQ("IDispatch error #65023", resolver.resolve(0x8004FFFFu, false));
    // Just outside the range the system (which has no text) is asked.
    EXPECT_EQ(noTextFor("2147746304 ( = 0x80040200)"), resolver.resolve(0x80040200u, false));
}

}  // namespace
