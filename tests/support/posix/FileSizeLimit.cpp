#include "tests/support/posix/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>

namespace testing_support {

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    rlimit limit {};
    EXPECT_EQ(0, ::getrlimit(RLIMIT_FSIZE, &limit));
    previousLimit_ = limit.rlim_cur;
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    EXPECT_EQ(0, ::setrlimit(RLIMIT_FSIZE, &limit));
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit {};
    ::getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(previousLimit_);
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler_);
}

}  // namespace testing_support
