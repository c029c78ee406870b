// Runs a command and prints what it cost: wall seconds, CPU seconds (user +
// system, the command's own and that of every process it waited for) and
// peak resident set in KiB, on one line. GNU time gives wall time in
// hundredths only, too coarse for a run of a few milliseconds; wait4 gives
// microseconds and no shell sits between this and the command.
//
//   measure_run [-C DIR] COMMAND [ARGUMENT...]
//
// -C runs the command in DIR, as the host starts hemwright in its working
// directory. Exits with 0 when the command exited with 0, else with 1 and a
// message on standard error.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

double seconds(const timeval& value) {
    return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_usec) / 1e6;
}

double now() {
    timespec value{};
    clock_gettime(CLOCK_MONOTONIC, &value);
    return static_cast<double>(value.tv_sec) + static_cast<double>(value.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    const char* directory = nullptr;
    if (argc > 2 && std::strcmp(argv[1], "-C") == 0) {
        directory = argv[2];
        first = 3;
    }
    if (first >= argc) {
        std::fprintf(stderr, "usage: measure_run [-C DIR] COMMAND [ARGUMENT...]\n");
        return 1;
    }
    const double start = now();
    const pid_t child = fork();
    if (child < 0) {
        std::perror("measure_run: fork");
        return 1;
    }
    if (child == 0) {
        if (directory != nullptr && chdir(directory) != 0) {
            std::perror("measure_run: chdir");
            _exit(127);
        }
        execvp(argv[first], argv + first);
        std::perror("measure_run: exec");
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    pid_t waited;
    do {
        waited = wait4(child, &status, 0, &usage);
    } while (waited < 0 && errno == EINTR);
    const double wall = now() - start;
    if (waited < 0) {
        std::perror("measure_run: wait4");
        return 1;
    }
    std::printf("%.6f %.6f %ld\n", wall, seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_maxrss);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "measure_run: %s did not exit with 0 (status %d)\n", argv[first], status);
        return 1;
    }
    return 0;
}
