// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a command and reports its wall time and peak resident memory.
//   quorvel-bench-measure [-n RUNS] BYTES COMMAND ARGS...
// prints: seconds MB/s peak-RSS-MiB (BYTES is the input size the rate counts).
// With -n, the command runs RUNS times: the median time (and the best) is printed,
// with the largest peak, as a busy machine makes single runs unreliable.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// One run: seconds and peak RSS in KiB, or a negative time on failure.
std::pair<double, long> runOnce(char* argv[]) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], argv);
        std::perror(argv[0]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
        std::perror("wait");
        return {-1, 0};
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[0]);
        return {-1, 0};
    }
    return {seconds, usage.ru_maxrss};
}

}  // namespace

int main(int argc, char* argv[]) {
    int first = 1;
    int runs = 1;
    if (argc > 2 && std::strcmp(argv[1], "-n") == 0) {
        runs = std::max(1, std::atoi(argv[2]));
        first = 3;
    }
    if (argc < first + 2) {
        std::fprintf(stderr, "usage: %s [-n RUNS] BYTES COMMAND ARGS...\n", argv[0]);
        return 2;
    }
    const double bytes = std::atof(argv[first]);
    std::vector<double> times;
    long peak = 0;
    for (int i = 0; i < runs; ++i) {
        const auto [seconds, rss] = runOnce(argv + first + 1);
        if (seconds < 0) return 1;
        times.push_back(seconds);
        peak = std::max(peak, rss);
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    if (runs == 1) {
        std::printf("%.3f s  %.0f MB/s  peak RSS %.1f MiB\n", median, bytes / 1e6 / median,
                    peak / 1024.0);
    } else {
        std::printf(
            "%.3f s  %.0f MB/s  (median of %d; best %.3f s, %.0f MB/s)  peak RSS %.1f MiB\n",
            median, bytes / 1e6 / median, runs, times.front(), bytes / 1e6 / times.front(),
            peak / 1024.0);
    }
    return 0;
}
