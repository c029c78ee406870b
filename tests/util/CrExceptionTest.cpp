#include "util/CrException.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

std::string masked(const std::string& message) { return CrException(message, E_FAIL).getMessage(); }

TEST(CrExceptionTest, KeepsMessageAndCode) {
    const CrException original("Could not open 'a.txt'.", E_FAIL);
    const CrException copy(original);
    EXPECT_EQ("Could not open 'a.txt'.", copy.getMessage());
    EXPECT_EQ(0x80004005u, copy.getCode());
}

TEST(CrExceptionTest, MasksTheFirstPasswordValueOnly) {
    EXPECT_EQ("No password here; UID=sa", masked("No password here; UID=sa"));
    EXPECT_EQ("UID=sa;pwd=<REMOVED>;Server=db", masked("UID=sa;pwd=secret;Server=db"));
    EXPECT_EQ("Login failed for UID=sa;Pwd=<REMOVED>", masked("Login failed for UID=sa;Pwd=secret"));
    EXPECT_EQ("PWD=<REMOVED>;UID=sa", masked("PWD=;UID=sa"));
    EXPECT_EQ("PWD=<REMOVED>", masked("PWD="));
    EXPECT_EQ("PWD=<REMOVED>;x;PWD=second", masked("PWD=first;x;PWD=second"));
}

TEST(CrExceptionTest, MaskingLeavesStoredMessageUnchanged) {
    const CrException exception("pwd=secret", E_FAIL);
    EXPECT_EQ("pwd=<REMOVED>", exception.getMessage());
    EXPECT_EQ("pwd=<REMOVED>", exception.getMessage());
}

TEST(CrExceptionTest, MaskingCopesWithBytesAbove127) {
    EXPECT_EQ("\xE9\xFFPwD=<REMOVED>;\xE9", masked("\xE9\xFFPwD=\xE9t\xE9;\xE9"));
}

}  // namespace
}  // namespace ostrel
