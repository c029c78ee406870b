// Positions outside the buffer: after setPosition with a negative value,
// nextToken and peekToken find no token and read nothing in front of the
// buffer, and stepBack from the lowest position goes to the start without
// overflowing.
#include "util/StringTokenizer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>

namespace ostrel {
namespace {

TEST(StringTokenizerPositionTest, PositionBeforeTheBufferHasNoToken) {
    // A heap copy, so that AddressSanitizer sees a read in front of it.
    const std::unique_ptr<char[]> text(new char[4]);
    std::memcpy(text.get(), "a<b", 4);
    StringTokenizer tokenizer(text.get(), 3, "<");
    tokenizer.setPosition(-1000000);
    EXPECT_EQ(nullptr, tokenizer.peekToken());
    EXPECT_FALSE(tokenizer.nextToken());
    EXPECT_STREQ("", tokenizer.getToken());
    // stepBack brings the position back to the start, from where the
    // tokens read as usual.
    EXPECT_FALSE(tokenizer.stepBack());
    EXPECT_EQ(0, tokenizer.getPosition());
    ASSERT_TRUE(tokenizer.nextToken());
    EXPECT_STREQ("a", tokenizer.getToken());
}

TEST(StringTokenizerPositionTest, StepBackFromTheLowestPositionGoesToTheStart) {
    StringTokenizer tokenizer("a<b", 3, "<");
    tokenizer.setPosition(std::numeric_limits<std::int64_t>::min());
    EXPECT_FALSE(tokenizer.stepBack());
    EXPECT_EQ(0, tokenizer.getPosition());
}

}  // namespace
}  // namespace ostrel
