#include "util/CrException.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

std::string masked(const std::string& message) { return CrException(message, E_FAIL).getMessage(); }

TEST(CrExceptionTest, MasksEveryPasswordValue) {
    EXPECT_EQ("No password here; UID=sa", masked("No password here; UID=sa"));
    EXPECT_EQ("UID=sa;pwd=<REMOVED>;Server=db", masked("UID=sa;pwd=secret;Server=db"));
    EXPECT_EQ("Login failed for UID=sa;Pwd=<REMOVED>", masked("Login failed for UID=sa;Pwd=secret"));
    EXPECT_EQ("PWD=<REMOVED>;UID=sa", masked("PWD=;UID=sa"));
    EXPECT_EQ("PWD=<REMOVED>", masked("PWD="));
    EXPECT_EQ("PWD=<REMOVED>;x;PWD=<REMOVED>", masked("PWD=first;x;PWD=second"));
    EXPECT_EQ("a pwd=<REMOVED>;b PwD=<REMOVED>;PWD=<REMOVED>;c", masked("a pwd=1;b PwD=2;PWD=;c"));
    // A key inside a value belongs to that value.
    EXPECT_EQ("PWD=<REMOVED>;z", masked("PWD=xPWD=y;z"));
    // A value ends with its line: the next line is another message.
    EXPECT_EQ("PWD=<REMOVED>\nnext; PWD=<REMOVED>\r\nlast", masked("PWD=a\nnext; PWD=b\r\nlast"));
}

TEST(CrExceptionTest, MaskingLeavesStoredMessageUnchanged) {
    const CrException exception("pwd=secret", E_FAIL);
    EXPECT_EQ("pwd=<REMOVED>", exception.getMessage());
    const CrException copy(exception);
    EXPECT_EQ("pwd=<REMOVED>", copy.getMessage());
    EXPECT_EQ(E_FAIL, copy.getCode());
}

TEST(CrExceptionTest, MaskingCopesWithBytesAbove127) {
    EXPECT_EQ("\xE9\xFFPwD=<REMOVED>;\xE9", masked("\xE9\xFFPwD=\xE9t\xE9;\xE9"));
}

}  // namespace
}  // namespace ostrel
