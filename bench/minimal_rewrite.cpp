// The least a program can do to rewrite a list of files safely: for each
// file, open it, create a temporary file beside it exclusively, write the
// prefix, copy the content in the kernel, write the suffix, give the file the
// original's permission bits and rename it over the original. No XML, no
// checks beyond the system calls' results. The many-files table measures
// hemwright against this loop.
//
//   minimal_rewrite [--durable] PREFIX SUFFIX LIST
//
// With --durable it is the obvious durable loop: each temporary file is
// flushed (fdatasync) before its rename, and the file's directory (fsync)
// after it, one file after the other.
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

// fsync of the directory that holds path.
bool flushDirectoryOf(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int descriptor = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0) {
        return false;
    }
    const bool flushed = fsync(descriptor) == 0;
    close(descriptor);
    return flushed;
}

bool rewrite(const std::string& path, const std::string& prefix, const std::string& suffix, bool durable) {
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
    ok = ok && (!durable || fdatasync(output) == 0);
    ok = (output >= 0 && close(output) == 0) && ok;
    close(input);
    return ok && rename(temporary.c_str(), path.c_str()) == 0 && (!durable || flushDirectoryOf(path));
}

}  // namespace

int main(int argc, char** argv) {
    const bool durable = argc == 5 && std::strcmp(argv[1], "--durable") == 0;
    if (argc != (durable ? 5 : 4)) {
        std::fprintf(stderr, "usage: minimal_rewrite [--durable] PREFIX SUFFIX LIST\n");
        return 1;
    }
    char** const arguments = argv + (durable ? 2 : 1);
    std::ifstream list(arguments[2]);
    std::string path;
    while (std::getline(list, path)) {
        if (!rewrite(path, arguments[0], arguments[1], durable)) {
            std::fprintf(stderr, "minimal_rewrite: %s: %s\n", path.c_str(), std::strerror(errno));
            return 1;
        }
    }
    return 0;
}
