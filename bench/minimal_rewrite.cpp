// The least a program can do to rewrite a list of files safely: for each
// file, open it, create a temporary file beside it exclusively, write the
// prefix, copy the content in the kernel, write the suffix, give the file the
// original's permission bits and rename it over the original. No XML, no
// checks beyond the system calls' results. The many-files table measures
// hemwright against this loop.
//
//   minimal_rewrite PREFIX SUFFIX LIST
//
// LIST holds one path per line. Exits with 1 and a message on the first
// failure.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

namespace {

bool writeAll(int descriptor, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t count = write(descriptor, bytes.data() + done, bytes.size() - done);
        if (count < 0) {
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

bool rewrite(const std::string& path, const std::string& prefix, const std::string& suffix) {
    const int input = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (input < 0) {
        return false;
    }
    struct stat info {};
    const std::string temporary = path + "-tmp-minimal";
    const int output = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    bool ok = output >= 0 && fstat(input, &info) == 0 && writeAll(output, prefix);
    while (ok) {
        const ssize_t count = copy_file_range(input, nullptr, output, nullptr, std::size_t(1) << 30, 0);
        if (count == 0) {
            break;
        }
        ok = count > 0;
    }
    ok = ok && writeAll(output, suffix) && fchmod(output, info.st_mode & 07777) == 0;
    ok = (output >= 0 && close(output) == 0) && ok;
    close(input);
    return ok && rename(temporary.c_str(), path.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: minimal_rewrite PREFIX SUFFIX LIST\n");
        return 1;
    }
    std::ifstream list(argv[3]);
    std::string path;
    while (std::getline(list, path)) {
        if (!rewrite(path, argv[1], argv[2])) {
            std::fprintf(stderr, "minimal_rewrite: %s: %s\n", path.c_str(), std::strerror(errno));
            return 1;
        }
    }
    return 0;
}
