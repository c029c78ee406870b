#include "tests/support/TestFiles.h"

#include "util/UniqueName.h"
#include "util/platform/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace testing_support {

ScopedTempDir::ScopedTempDir() : ScopedTempDir(fs::temp_directory_path().u8string()) {}

ScopedTempDir::ScopedTempDir(const std::string& parent) {
    // A name no other test (or test process) has: a fresh unique text.
    const fs::path dir = fs::u8path(parent) / ("hemwright-test-" + ostrel::createUniqueName());
    fs::create_directories(dir);
    path_ = dir.u8string();
}

ScopedTempDir::~ScopedTempDir() {
    std::error_code ignored;
    fs::remove_all(fs::u8path(path_), ignored);
}

std::string ScopedTempDir::file(const std::string& name) const { return path_ + "/" + name; }

std::string readBytes(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot read " << path;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(fs::u8path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    EXPECT_TRUE(out.good()) << "cannot write " << path;
}

std::vector<std::string> listDirectory(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(fs::u8path(path))) {
        names.push_back(entry.path().filename().u8string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string forwardSlashed(const std::string& path) {
    std::string result = path;
    std::replace_if(result.begin(), result.end(), ostrel::platform::isPathSeparator, '/');
    return result;
}

}  // namespace testing_support
