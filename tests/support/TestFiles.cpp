#include "tests/support/TestFiles.h"

#include "util/UniqueName.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace testing_support {

ScopedTempDir::ScopedTempDir() : ScopedTempDir(fs::temp_directory_path().string()) {}

ScopedTempDir::ScopedTempDir(const std::string& parent) {
    // A name no other test (or test process) has: a fresh unique text.
    const fs::path dir = fs::path(parent) / ("hemwright-test-" + ostrel::createUniqueName());
    fs::create_directories(dir);
    path_ = dir.string();
}

ScopedTempDir::~ScopedTempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string ScopedTempDir::file(const std::string& name) const { return path_ + "/" + name; }

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

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    EXPECT_TRUE(out.good()) << "cannot write " << path;
}

std::vector<std::string> listDirectory(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testing_support
