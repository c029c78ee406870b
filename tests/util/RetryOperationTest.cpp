#include "util/RetryOperation.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

// An operation that fails with CrException until its run number reaches
// succeedOnRun (0: never), counting runs and recording the path.
struct FlakyOperation {
    int succeedOnRun = 0;
    int runs = 0;
    std::string lastPath;

    void operator()(const std::string& path) {
        ++runs;
        lastPath = path;
        if (runs != succeedOnRun) {
            throw ostrel::CrException("Failed to remove the file '" + path + "'. Reason: busy.", ostrel::E_FAIL);
        }
    }
};

struct RecordingSleeper {
    std::vector<int> intervals;
    void operator()(int milliseconds) { intervals.push_back(milliseconds); }
};

}  // namespace

TEST(RetryOperationTest, RunsAtMostRetriesPlusOneTimesWithClampedArguments) {
    struct Case {
        int retries;
        int interval;
        int expectedRuns;
        int expectedInterval;
    };
    for (const Case& c : {Case{0, 10, 2, 10}, Case{-3, 10, 2, 10}, Case{3, -5, 4, 0}, Case{10, 100000, 11, 60000},
                          Case{1, 60000, 2, 60000}}) {
        FlakyOperation operation;
        RecordingSleeper sleeper;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(ostrel::retryOperation(operation, "p", c.retries, c.interval, true, sleeper));
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(c.expectedRuns, operation.runs) << c.retries;
        EXPECT_EQ(std::vector<int>(c.expectedRuns - 1, c.expectedInterval), sleeper.intervals) << c.interval;
    }
}

TEST(RetryOperationTest, StopsAtTheFirstSuccess) {
    FlakyOperation operation;
    operation.succeedOnRun = 3;
    RecordingSleeper sleeper;
    EXPECT_TRUE(ostrel::retryOperation(operation, "a/b", 10, 5, false, sleeper));
    EXPECT_EQ(3, operation.runs);
    EXPECT_EQ("a/b", operation.lastPath);
    EXPECT_EQ((std::vector<int>{5, 5}), sleeper.intervals);
}

TEST(RetryOperationTest, IgnoredFailureIsReportedOnStandardError) {
    FlakyOperation operation;
    RecordingSleeper sleeper;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(ostrel::retryOperation(operation, "x.tmp", 10, 50, true, sleeper));
    EXPECT_EQ(
        "Failed to remove the file 'x.tmp'. Reason: busy.\n"
        "Tried 11 times before giving up and ignoring the error...\n",
        testing::internal::GetCapturedStderr());
}

TEST(RetryOperationTest, UnignoredFailurePropagatesAndOtherExceptionsAreNotRetried) {
    FlakyOperation operation;
    RecordingSleeper sleeper;
    try {
        ostrel::retryOperation(operation, "x.tmp", 2, 0, false, sleeper);
        ADD_FAILURE() << "no CrException";
    } catch (const ostrel::CrException& failure) {
        EXPECT_EQ("Failed to remove the file 'x.tmp'. Reason: busy.", failure.getMessage());
    }
    EXPECT_EQ(3, operation.runs);

    int runs = 0;
    auto throwsOther = [&runs](const std::string&) {
        ++runs;
        throw std::runtime_error("other");
    };
    EXPECT_THROW(ostrel::retryOperation(throwsOther, "x", 5, 0, true, sleeper), std::runtime_error);
    EXPECT_EQ(1, runs);
}

TEST(RetryOperationTest, DefaultSleeperRunsRealOperations) {
    int runs = 0;
    auto failsOnce = [&runs](const std::string& path) {
        if (++runs == 1) {
            throw ostrel::CrException("Failed '" + path + "'.", ostrel::E_FAIL);
        }
    };
    EXPECT_TRUE(ostrel::retryOperation(failsOnce, "p", 1, 1, false));
    EXPECT_EQ(2, runs);
}
