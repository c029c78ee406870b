#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include <boost/filesystem.hpp>

namespace fs = boost::filesystem;

namespace testing_support {

ScopedTempDir::ScopedTempDir() {
    const fs::path dir = fs::temp_directory_path() / fs::unique_path("hemwright-test-%%%%-%%%%-%%%%");
    fs::create_directories(dir);
    path_ = dir.string();
}

ScopedTempDir::~ScopedTempDir() {
    boost::system::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string ScopedTempDir::file(const std::string& name) const { return path_ + "/" + name; }

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
