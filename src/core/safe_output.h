// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An output file that replaces its target only when complete.

#include <string>

#include "fileio.h"
#include "io.h"

namespace quorvel {

class SafeOutFile final : public ByteWriter {
public:
    SafeOutFile() = default;
    ~SafeOutFile() override { discard(); }
    SafeOutFile(const SafeOutFile&) = delete;
    SafeOutFile& operator=(const SafeOutFile&) = delete;

    enum class Links {
        Follow,   // a link at the path: the file it leads to is replaced
        Replace,  // a link at the path is itself replaced, whatever it leads to
    };
    /// Starts the output for `path`. A regular file (new or existing) is written to
    /// a temporary file in the same folder; a device, a pipe or anything under /dev
    /// or /proc is opened and written directly.
    bool open(const std::string& path, Links links = Links::Follow);
    /// Writes to standard output.
    void openStandardOutput();

    bool write(const char* data, std::size_t n) override { return m_file.write(data, n); }
    using ByteWriter::write;

    /// Finishes: flushes and closes, then renames the temporary file over the
    /// target, with the old file's permissions. False (and error()) on failure,
    /// when the temporary file is removed and the target left as it was.
    bool commit();
    /// Abandons the output: the temporary file is removed, the target untouched.
    void discard();

    /// The failure, naming the path as the caller gave it.
    FileError error() const;
    bool direct() const { return m_temp.empty(); }

private:
    bool createTemporary();

    OutFile m_file;
    std::string m_path;    // as given
    std::string m_target;  // what is replaced: the path with links resolved
    std::string m_temp;    // empty when writing directly
    FileError m_error;
};

}  // namespace quorvel
