#include "util/ErrorResolver.h"

#include "tests/support/SystemErrors.h"
#include "util/platform/Platform.h"

#include <gtest/gtest.h>

namespace {

using testing_support::SystemError;
using testing_support::systemErrorCode;

// The text for a code that nothing has a text for, which names the code the
// last lookup (the HTTP library's message module) failed with, as this
// system reports it: EINVAL on POSIX systems; on Windows that of a module
// that cannot be loaded (Windows and Wine differ) or has no such message.
std::string noTextFor(std::uint32_t code, const std::string& shown) {
    std::string text;
    EXPECT_FALSE(ostrel::platform::moduleErrorText("winhttp5.dll", code, text));
    return "FormatMessage() failed with error number " + std::to_string(ostrel::platform::lastErrorCode()) +
           " when trying to get  the error string for error number " + shown + ".";
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
    const std::string expected = noTextFor(100000, "100000 ( = 0x186a0)");
    ostrel::platform::setLastErrorCode(systemErrorCode(SystemError::FileNotFound));
    ErrorResolver resolver;
    EXPECT_EQ(expected, resolver.resolve(100000, false));
    EXPECT_EQ(0u, ostrel::platform::lastErrorCode());
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
    EXPECT_EQ(noTextFor(0x80040200u, "2147746304 ( = 0x80040200)"), resolver.resolve(0x80040200u, false));
}

}  // namespace
