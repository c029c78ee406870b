#ifndef HEMWRIGHT_TESTS_SUPPORT_POSIX_FILESIZELIMIT_H
#define HEMWRIGHT_TESTS_SUPPORT_POSIX_FILESIZELIMIT_H

#include <cstdint>

namespace testing_support {

// Limits the size of files this process writes, as a full disk would: a
// write past the limit fails with EFBIG, the signal it would raise being
// ignored meanwhile. Restores both on destruction. (RLIMIT_FSIZE: the real
// system's own refusal, where FileSystemFaults only stands in front of it.)
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    std::uint64_t previousLimit_ = 0;
    void (*previousHandler_)(int) = nullptr;
};

}  // namespace testing_support

#endif
