// Runs a command and reports its wall time and peak resident memory.
//   quorvel-bench-measure BYTES COMMAND ARGS...
// prints: seconds MB/s peak-RSS-MiB (BYTES is the input size the rate counts).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s BYTES COMMAND ARGS...\n", argv[0]);
        return 2;
    }
    const double bytes = std::atof(argv[1]);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[2], argv + 2);
        std::perror(argv[2]);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) {
        std::perror("wait");
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", argv[2]);
        return 1;
    }
    std::printf("%.3f s  %.0f MB/s  peak RSS %.1f MiB\n", seconds, bytes / 1e6 / seconds,
                usage.ru_maxrss / 1024.0);
    return 0;
}
