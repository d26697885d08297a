// SPDX-License-Identifier: MIT
// velmora-bench-launch PROGRAM ARGS...: runs PROGRAM and prints its wall time and peak
// memory. The peak memory of a process includes the memory of the process it was forked
// from, so the benchmark measures through this small launcher rather than directly.
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    timespec start{}, end{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[1], nullptr, nullptr, argv + 1, environ) != 0)
        return 127;
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    std::printf("launch-wall-seconds %.6f\nlaunch-maxrss-kib %ld\n",
                double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) * 1e-9,
                usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 126;
}
