// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A fresh folder for one test, removed afterwards, and whole-file helpers.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

struct TempDir {
    std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("quorvel-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
         "-" + std::to_string(::getpid()));
    TempDir() { std::filesystem::remove_all(path), std::filesystem::create_directories(path); }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::string str() const { return path.string(); }
    /// Names of the entries, sorted, to see that no temporary file stays behind.
    std::string listing() const {
        std::set<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path))
            names.insert(e.path().filename().string());
        std::string all;
        for (const auto& n : names) all += n + " ";
        return all;
    }
};

inline std::string slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void spit(const std::string& p, const std::string& data) {
    std::ofstream(p, std::ios::binary) << data;
}
