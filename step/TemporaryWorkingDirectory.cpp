#include "step/TemporaryWorkingDirectory.h"

#include <boost/filesystem.hpp>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <stdexcept>
#include <vector>

namespace fs = boost::filesystem;

TemporaryWorkingDirectory::TemporaryWorkingDirectory() {
    boost::system::error_code error;
    fs::path base = fs::temp_directory_path(error);
    if (error) base = "/tmp";
    const std::string pattern = (base / "hemwright-step.XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        throw std::runtime_error("cannot create a working directory '" + pattern + "': " + std::strerror(errno) +
                                 ".");
    }
    path_ = name.data();
}

TemporaryWorkingDirectory::~TemporaryWorkingDirectory() {
    if (keep_) return;
    boost::system::error_code error;
    fs::remove_all(path_, error);
    if (error) {
        std::cerr << "hemwright-step: cannot remove the working directory '" << path_ << "': " << error.message()
                  << "\n";
    }
}
