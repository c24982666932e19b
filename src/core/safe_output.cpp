// SPDX-License-Identifier: GPL-3.0-or-later
#include "safe_output.h"

#include "host_files.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace quorvel {

namespace {

std::string tempNameFor(const fs::path& target, unsigned tag) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, ".%08x~", tag);
    fs::path temp = target;
    temp.replace_filename("." + target.filename().string() + suffix);
    return temp.string();
}

}  // namespace

bool SafeOutFile::open(const std::string& path, Links links) {
    discard();
    m_path = path;
    m_error = FileError{path, 0};
    std::error_code ec;
    const bool link = fs::is_symlink(fs::symlink_status(path, ec));
    const fs::file_status st = fs::status(path, ec);
    if (links == Links::Replace && link && !isSystemStreamName(path)) {
        m_target = path;  // the rename puts the new file where the link was
        return createTemporary();
    }
    if (fs::is_directory(st)) {
        m_error.code = EISDIR;
        return false;
    }
    const bool exists = fs::exists(st);
    if (isSystemStreamName(path) || (exists && !fs::is_regular_file(st)) || (!exists && link)) {
        // A device, a pipe, a stream or a link to nothing: written where it is.
        if (!m_file.create(path)) m_error = m_file.error();
        return !m_error;
    }
    // Replace the file a link leads to, not the link.
    m_target = exists ? fs::canonical(path, ec).string() : path;
    if (ec) m_target = path;
    // A file that could not be written in place is not replaced either.
    if (exists) {
        if (std::FILE* f = std::fopen(m_target.c_str(), "ab")) {
            std::fclose(f);
        } else {
            m_error.code = errno != 0 ? errno : EACCES;
            return false;
        }
    }
    return createTemporary();
}

bool SafeOutFile::createTemporary() {
    std::random_device seed;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temp = tempNameFor(m_target, seed());
        if (m_file.createNew(temp)) {
            m_temp = temp;
            return true;
        }
        if (m_file.error().code != EEXIST) break;
    }
    m_error.code = m_file.error().code;
    return false;
}

void SafeOutFile::openStandardOutput() {
    discard();
    m_path = "-";
    m_error = FileError{m_path, 0};
    m_file.adopt(stdout, m_path);
}

bool SafeOutFile::commit() {
    if (!m_file.close()) {
        m_error.code = m_file.error().code;
        discard();
        return false;
    }
    if (m_temp.empty()) return !m_error;
    copyPermissions(m_target, m_temp);
    if (const std::error_code ec = replaceFile(m_temp, m_target)) {
        const int code = ec.default_error_condition().value();
        m_error.code = code != 0 ? code : EIO;
        discard();
        return false;
    }
    m_temp.clear();
    return true;
}

void SafeOutFile::discard() {
    m_file.close();
    if (!m_temp.empty()) {
        removeFile(m_temp);
        m_temp.clear();
    }
}

FileError SafeOutFile::error() const {
    if (m_error) return m_error;
    return FileError{m_path, m_file.error().code};
}

}  // namespace quorvel
