#ifndef HEMWRIGHT_STEP_TEMPORARYWORKINGDIRECTORY_H
#define HEMWRIGHT_STEP_TEMPORARYWORKINGDIRECTORY_H

#include <string>

// A fresh, private working directory for one run (mkdtemp under the system's
// temporary directory, honouring TMPDIR), removed with everything in it when
// the object goes unless keep() was called.
class TemporaryWorkingDirectory final {
public:
    // Throws std::runtime_error with the template path and the reason when
    // the directory cannot be created.
    TemporaryWorkingDirectory();
    // A removal that fails is reported on standard error with its path, so
    // that nothing is left behind unnoticed.
    ~TemporaryWorkingDirectory();
    TemporaryWorkingDirectory(const TemporaryWorkingDirectory&) = delete;
    TemporaryWorkingDirectory& operator=(const TemporaryWorkingDirectory&) = delete;

    const std::string& path() const { return path_; }
    void keep() { keep_ = true; }

private:
    std::string path_;
    bool keep_ = false;
};

#endif
