#include "util/PathParts.h"

#include "util/platform/Platform.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const bool kBackslashSeparates = ostrel::platform::isPathSeparator('\\');

}  // namespace

TEST(PathPartsTest, SplitAtTheLastSeparatorAndTheContainingDirectory) {
    const struct {
        const char* path;
        const char* directory;
        const char* name;
        const char* containing;
    } cases[] = {
        {"/a/b/c.txt", "/a/b/", "c.txt", "/a/b"},
        {"/c.txt", "/", "c.txt", "/"},
        {"c.txt", "", "c.txt", "."},
        {"a//c.txt", "a//", "c.txt", "a"},
        {"//c.txt", "//", "c.txt", "/"},
        {"a/b/", "a/b/", "", "a/b"},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.path);
        const ostrel::PathParts parts = ostrel::splitPath(row.path);
        EXPECT_EQ(row.directory, parts.directory);
        EXPECT_EQ(row.name, parts.name);
        EXPECT_EQ(row.containing, ostrel::containingDirectory(row.path));
    }
    // A drive's root keeps its separator where drives have names.
    EXPECT_EQ(kBackslashSeparates ? "C:\\" : ".", ostrel::containingDirectory("C:\\x.txt"));
    EXPECT_EQ(kBackslashSeparates ? "C:\\d" : ".", ostrel::containingDirectory("C:\\d\\x.txt"));
}
