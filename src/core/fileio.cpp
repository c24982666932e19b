// SPDX-License-Identifier: GPL-3.0-or-later
#include "fileio.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace quorvel {

std::string FileError::reason() const {
    if (code == ELOOP) return "is a symbolic link, which is not followed";
    return code == 0 ? std::string() : std::generic_category().message(code);
}

bool FileError::notFound() const {
    return code == ENOENT || code == ENOTDIR;
}

static int errnoOr(int fallback) {
    return errno != 0 ? errno : fallback;
}

bool InFile::open(const std::string& path) {
    close();
    m_error = FileError{path, 0};
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        m_error.code = EISDIR;
        return false;
    }
    errno = 0;
    m_file = std::fopen(path.c_str(), "rb");
    if (m_file == nullptr) {
        m_error.code = errnoOr(EIO);
        return false;
    }
    m_owned = true;
    return true;
}

void InFile::adopt(std::FILE* stream, const std::string& name) {
    close();
    m_error = FileError{name, 0};
    m_file = stream;
    m_owned = false;
}

void InFile::close() {
    if (m_file != nullptr && m_owned) std::fclose(m_file);
    m_file = nullptr;
    m_owned = false;
}

std::size_t InFile::read(char* buf, std::size_t n) {
    if (m_file == nullptr || m_error) return 0;
    errno = 0;
    const std::size_t k = std::fread(buf, 1, n, m_file);
    if (k < n && std::ferror(m_file)) m_error.code = errnoOr(EIO);
    return m_error ? 0 : k;
}

bool OutFile::create(const std::string& path) {
    return openWith(path, "wb");
}

bool OutFile::createNew(const std::string& path) {
    return openWith(path, "wbx");
}

bool OutFile::createNotThroughLink(const std::string& path) {
    if (isSymbolicLink(path)) {
        close();
        m_error = FileError{path, ELOOP};
        return false;
    }
    return create(path);
}

bool OutFile::openWith(const std::string& path, const char* mode) {
    close();
    m_error = FileError{path, 0};
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        m_error.code = EISDIR;
        return false;
    }
    errno = 0;
    m_file = std::fopen(path.c_str(), mode);
    if (m_file == nullptr) {
        m_error.code = errnoOr(EIO);
        return false;
    }
    m_owned = true;
    return true;
}

void OutFile::adopt(std::FILE* stream, const std::string& name) {
    close();
    m_error = FileError{name, 0};
    m_file = stream;
    m_owned = false;
}

bool OutFile::write(const char* data, std::size_t n) {
    if (m_file == nullptr || m_error) return false;
    if (n == 0) return true;
    errno = 0;
    if (std::fwrite(data, 1, n, m_file) != n) {
        m_error.code = errnoOr(EIO);
        return false;
    }
    return true;
}

bool OutFile::flush() {
    if (m_file == nullptr || m_error) return !m_error;
    errno = 0;
    if (std::fflush(m_file) != 0) m_error.code = errnoOr(EIO);
    return !m_error;
}

bool OutFile::close() {
    if (m_file == nullptr) return !m_error;
    flush();
    if (m_owned) {
        errno = 0;
        if (std::fclose(m_file) != 0 && !m_error) m_error.code = errnoOr(EIO);
    }
    m_file = nullptr;
    m_owned = false;
    return !m_error;
}

bool regularFileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

bool isSymbolicLink(const std::string& path) {
    std::error_code ec;
    return fs::is_symlink(fs::symlink_status(path, ec));
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code ec;
    const bool same = fs::equivalent(a, b, ec);
    return !ec && same;
}

OutputTarget outputTarget(const std::string& output, std::initializer_list<std::string> sources) {
    OutputTarget target;
    target.taken = regularFileExists(output) || isSymbolicLink(output);
    std::error_code ec;
    const fs::path place = fs::weakly_canonical(output, ec);
    for (const std::string& source : sources) {
        std::error_code ec2;
        if (sameFile(output, source) || (!ec && fs::weakly_canonical(source, ec2) == place && !ec2))
            target.source = true;
    }
    return target;
}

FileError removeFile(const std::string& path) {
    std::error_code ec;
    if (!fs::remove(path, ec) && !ec) return FileError{path, ENOENT};
    return FileError{path, ec ? ec.value() : 0};
}

}  // namespace quorvel
