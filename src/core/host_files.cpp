// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_files.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#ifndef _WIN32
#include <fcntl.h>
#endif

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

std::error_code renameToNew(const std::string& from, const std::string& to) {
#ifndef _WIN32
    // One step that cannot replace a name taken meanwhile, where the file system has it.
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
    if (errno != EINVAL && errno != ENOSYS) return {errno, std::generic_category()};
#endif
    // Elsewhere the name is looked for first.
    std::error_code ec;
    if (fs::exists(fs::symlink_status(to, ec))) return std::make_error_code(std::errc::file_exists);
    fs::rename(from, to, ec);
    return ec;
}

void copyPermissions(const std::string& from, const std::string& to) {
    std::error_code ec;
    const fs::file_status old = fs::status(from, ec);
    if (fs::exists(old)) fs::permissions(to, old.permissions(), ec);
}

}  // namespace quorvel
