// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Files for the core's commands, on the C library alone so that the command-line
// tools need no toolkit. Failures keep the path and the system's reason.

#include <cstdio>
#include <initializer_list>
#include <string>

#include "io.h"

namespace quorvel {

struct FileError {
    std::string path;
    int code = 0;  // errno value; 0 means no error

    explicit operator bool() const { return code != 0; }
    /// The system's wording, e.g. "No such file or directory"; for a refused link,
    /// that it is a link.
    std::string reason() const;
    /// The file or one of the folders on its path does not exist.
    bool notFound() const;
};

class InFile final : public ByteReader {
public:
    InFile() = default;
    ~InFile() override { close(); }
    InFile(const InFile&) = delete;
    InFile& operator=(const InFile&) = delete;

    /// Opens a file for reading; a folder is refused (EISDIR).
    bool open(const std::string& path);
    /// Reads from a stream the caller owns (standard input); close() leaves it open.
    void adopt(std::FILE* stream, const std::string& name);
    void close();
    bool isOpen() const { return m_file != nullptr; }

    std::size_t read(char* buf, std::size_t n) override;
    bool failed() const override { return static_cast<bool>(m_error); }
    const FileError& error() const { return m_error; }

private:
    std::FILE* m_file = nullptr;
    bool m_owned = false;
    FileError m_error;
};

class OutFile final : public ByteWriter {
public:
    OutFile() = default;
    ~OutFile() override { close(); }
    OutFile(const OutFile&) = delete;
    OutFile& operator=(const OutFile&) = delete;

    /// Creates the file, or empties an existing one.
    bool create(const std::string& path);
    /// Creates a new file; fails (EEXIST) when one exists already.
    bool createNew(const std::string& path);
    /// As create(), but a symbolic link at `path` is refused (ELOOP), never
    /// written through: it could lead anywhere.
    bool createNotThroughLink(const std::string& path);
    void adopt(std::FILE* stream, const std::string& name);
    /// Flushes and closes; false (and error()) when the data did not all reach the file.
    bool close();
    bool isOpen() const { return m_file != nullptr; }
    bool flush();

    bool write(const char* data, std::size_t n) override;
    using ByteWriter::write;
    const FileError& error() const { return m_error; }
    const std::string& path() const { return m_error.path; }

private:
    bool openWith(const std::string& path, const char* mode);

    std::FILE* m_file = nullptr;
    bool m_owned = false;
    FileError m_error;
};

/// A regular file (not a folder or device) exists at `path`, links followed.
bool regularFileExists(const std::string& path);

/// A symbolic link (to anything, or to nothing) is at `path`.
bool isSymbolicLink(const std::string& path);

/// Both paths name the same existing file, whatever their spelling or links.
bool sameFile(const std::string& a, const std::string& b);

/// What stands where an output is about to be written.
struct OutputTarget {
    bool taken = false;   // a file, or a link to anything, is there: ask before replacing it
    bool source = false;  // it is one of the files the output is made from (through a link or
                          // another spelling, or once created): never write it
};
OutputTarget outputTarget(const std::string& output, std::initializer_list<std::string> sources);

/// Deletes a file; the error is empty on success.
FileError removeFile(const std::string& path);

}  // namespace quorvel
