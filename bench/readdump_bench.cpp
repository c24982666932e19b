// SPDX-License-Identifier: GPL-3.0-or-later
// The capture-to-raw-data work of a download on large captures: job record search,
// then the copy, file to file as the main window does it. Prints MB/s and the
// process's peak memory after each size; the peak must not grow with the size.
//
//   build/bench/readdump_bench [folder]     (default: the system's temp folder)
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/capture.h"
#include "core/fileio.h"

namespace {

long peakRssKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

/// Writes a capture of about `bytes` bytes as a station sends it, line by line.
bool makeCapture(const std::string& path, std::size_t bytes) {
    quorvel::OutFile out;
    if (!out.create(path)) return false;
    out.write("\x02\r\n00NMSDR33 V04-04.02\r\n10NMBENCH           121111\r\n");
    char line[128];
    std::size_t written = 0;
    for (unsigned long n = 1; written < bytes; ++n) {
        const int k = std::snprintf(
            line, sizeof line,
            n % 7 == 0 ? "\x7f skipped line %lu\r\n" : "08TP%8lu %14.3f %14.3f %10.3f P%lu\r\n", n,
            1000.0 + n * 0.25, 2000.0 - n * 0.125, 100.0 + n % 50, n);
        out.write(line, static_cast<std::size_t>(k));
        written += static_cast<std::size_t>(k);
    }
    out.write("\x03");
    return out.close();
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const std::string capture = (folder / "quorvel-bench-capture.tmp").string();
    const std::string raw = (folder / "quorvel-bench-raw.sdr").string();
    std::printf("%-10s %10s %10s %10s %12s\n", "capture", "lines", "seconds", "MB/s", "peak RSS");
    int status = 0;
    long firstPeak = 0;
    for (const std::size_t mb : {10u, 100u}) {
        if (!makeCapture(capture, mb * 1000 * 1000)) {
            std::fprintf(stderr, "cannot write %s\n", capture.c_str());
            return 1;
        }
        const auto size = fs::file_size(capture);
        const auto t0 = std::chrono::steady_clock::now();
        quorvel::InFile in;
        quorvel::OutFile out;
        if (!in.open(capture)) return 1;
        const auto name = quorvel::findJobName(in);
        in.close();
        if (!name || !in.open(capture) || !out.create(raw)) return 1;
        std::uint64_t shown = 0;
        const quorvel::CopyResult r =
            quorvel::copyRawData(in, out, [&](std::uint64_t n) { shown = n; });
        if (!r.ok() || !out.close()) return 1;
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const long peak = peakRssKiB();
        if (firstPeak == 0) firstPeak = peak;
        std::printf("%7zu MB %10llu %10.3f %10.1f %9ld KiB\n", mb,
                    static_cast<unsigned long long>(shown), s, double(size) / 1e6 / s, peak);
        if (peak > firstPeak + 1024) status = 1;  // grew with the capture
    }
    fs::remove(capture);
    fs::remove(raw);
    std::printf(status == 0 ? "peak memory does not grow with the capture\n"
                            : "PEAK MEMORY GREW WITH THE CAPTURE\n");
    return status;
}
