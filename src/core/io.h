// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Byte streams that the parsers read from and the writers write to. They keep the
// core free of any file or toolkit type, so tests and fuzzers feed it from memory.

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

class ByteReader {
public:
    virtual ~ByteReader() = default;
    /// Reads up to `n` bytes into `buf`. Returns 0 at the end of the input or on a
    /// failure; `failed()` tells the two apart.
    virtual std::size_t read(char* buf, std::size_t n) = 0;
    virtual bool failed() const { return false; }
};

class ByteWriter {
public:
    virtual ~ByteWriter() = default;
    /// Writes all `n` bytes; false when they could not all be written.
    virtual bool write(const char* data, std::size_t n) = 0;
    bool write(std::string_view s) { return write(s.data(), s.size()); }
};

class MemoryReader final : public ByteReader {
public:
    explicit MemoryReader(std::string_view data) : m_data(data) {}
    std::size_t read(char* buf, std::size_t n) override;

private:
    std::string_view m_data;
};

class StringWriter final : public ByteWriter {
public:
    explicit StringWriter(std::string& out) : m_out(out) {}
    bool write(const char* data, std::size_t n) override {
        m_out.append(data, n);
        return true;
    }
    using ByteWriter::write;

private:
    std::string& m_out;
};

}  // namespace quorvel
