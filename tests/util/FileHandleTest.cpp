#include "util/platform/FileHandle.h"

#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

using namespace ostrel::platform;
using testing_support::readBytes;
using testing_support::ScopedTempDir;
using testing_support::writeBytes;

TEST(FileHandleTest, ExclusiveCreationNeverOpensAnExistingFile) {
    ScopedTempDir dir;
    FileHandle file;
    EXPECT_EQ(CreateResult::Created, file.createExclusive(dir.file("new")));

    writeBytes(dir.file("taken"), "keep me");
    FileHandle other;
    EXPECT_EQ(CreateResult::AlreadyExists, other.createExclusive(dir.file("taken")));
    EXPECT_EQ(CreateResult::AlreadyExists, other.createExclusive(dir.path()));
    EXPECT_FALSE(other.isOpen());
    EXPECT_EQ("keep me", readBytes(dir.file("taken")));
    EXPECT_EQ(CreateResult::Failed, other.createExclusive(dir.file("missing/new")));
}
