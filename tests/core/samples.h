#pragma once
// The real observation files beside the repository (QUORVEL_SAMPLES).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace samples {

inline std::filesystem::path folder() {
    const char* env = std::getenv("QUORVEL_SAMPLES");
    return env != nullptr && *env != '\0' ? env : QUORVEL_SAMPLES;
}

/// The sample files, or an empty list when the folder is missing and not required.
inline std::vector<std::filesystem::path> files() {
    std::vector<std::filesystem::path> found;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(folder(), ec))
        if (e.path().extension() == ".obs") found.push_back(e.path());
    std::sort(found.begin(), found.end());
    return found;
}

inline std::string read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace samples

/// Skips the test when the samples are missing, unless QUORVEL_REQUIRE_SAMPLES is set.
#define REQUIRE_SAMPLES(list)                                                        \
    do {                                                                             \
        if ((list).empty()) {                                                        \
            if (std::getenv("QUORVEL_REQUIRE_SAMPLES")) FAIL() << "samples missing"; \
            GTEST_SKIP() << "no samples in " << samples::folder();                   \
        }                                                                            \
    } while (0)
