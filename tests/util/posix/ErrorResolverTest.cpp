// The texts of the POSIX system's own error codes (strerror's), as the
// resolver gives them.
#include "util/ErrorResolver.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(ErrorResolverTest, SystemCodesGiveTheSystemText) {
    ErrorResolver resolver;
    EXPECT_EQ("No such file or directory", resolver.resolve(ENOENT, false));
    EXPECT_EQ(static_cast<std::uint32_t>(ENOENT), resolver.getCode());
    EXPECT_EQ("No space left on device", ErrorResolver(0).resolve(ENOSPC, false));
}

// Result codes (HRESULTs) have no text here; Windows has texts for many.
TEST(ErrorResolverTest, ResultCodeGivesTheFailureText) {
    EXPECT_EQ("FormatMessage() failed with error number 22 when trying to get  the error string for error number "
              "2147500037 ( = 0x80004005).",
              ErrorResolver().resolve(0x80004005u, false));
}

TEST(ErrorResolverTest, SystemMessageUsesTheResolversCodeForZero) {
    ErrorResolver resolver(ENOENT);
    std::string text;
    resolver.getSystemMessage(text, 0, "");
    EXPECT_EQ("No such file or directory", text);
    resolver.getSystemMessage(text, EACCES, "other");
    EXPECT_EQ("Permission denied", text);
}

}  // namespace
