#include "step/TemporaryWorkingDirectory.h"

#include "step/PrintableName.h"
#include "util/ErrorResolver.h"
#include "util/platform/posix/Process.h"

#include <boost/filesystem.hpp>

#include <iostream>
#include <stdexcept>

namespace fs = boost::filesystem;

TemporaryWorkingDirectory::TemporaryWorkingDirectory() {
    boost::system::error_code error;
    fs::path base = fs::temp_directory_path(error);
    if (error) base = "/tmp";
    if (!ostrel::platform::createPrivateDirectory(base.string(), "hemwright-step.", path_)) {
        throw std::runtime_error("cannot create a working directory in '" + printableName(base.string()) +
                                 "': " + lastSystemErrorText() + ".");
    }
}

TemporaryWorkingDirectory::~TemporaryWorkingDirectory() {
    if (keep_) return;
    boost::system::error_code error;
    fs::remove_all(path_, error);
    if (error) {
        std::cerr << "hemwright-step: cannot remove the working directory '" << printableName(path_)
                  << "': " << error.message() << "\n";
    }
}
