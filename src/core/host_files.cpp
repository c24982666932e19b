// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace fs = std::filesystem;

namespace quorvel {

bool isSystemStreamName(const std::string& path) {
    std::error_code ec;
#ifdef _WIN32
    // Reserved device names, whatever folder or extension goes with them.
    std::string stem = fs::path(path).stem().string();
    std::transform(stem.begin(), stem.end(), stem.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const char* name : {"NUL", "CON", "PRN", "AUX", "COM1", "COM2", "COM3", "COM4"})
        if (stem == name) return true;
    return path.rfind("\\\\.\\", 0) == 0;
#else
    const std::string p = fs::absolute(path, ec).lexically_normal().string();
    return p.rfind("/dev/", 0) == 0 || p.rfind("/proc/", 0) == 0;
#endif
}

std::error_code replaceFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    return ec;
}

void copyPermissions(const std::string& from, const std::string& to) {
    std::error_code ec;
    const fs::file_status old = fs::status(from, ec);
    if (fs::exists(old)) fs::permissions(to, old.permissions(), ec);
}

}  // namespace quorvel
