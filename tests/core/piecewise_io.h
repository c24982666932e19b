#pragma once
// Streams for tests and fuzzers: a reader that hands its data out in small pieces
// (so line ends fall across reads) and may fail part way, and a writer that runs
// out of room. Standard C++ only.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/io.h"

class PiecewiseReader final : public quorvel::ByteReader {
public:
    /// Pieces of at most `step` bytes, or with a `seed` of sizes jumping between 1 and
    /// `step`; the read that would pass byte `failAt` fails instead.
    PiecewiseReader(std::string_view data, std::size_t step, std::size_t failAt = std::string::npos,
                    std::uint32_t seed = 0)
        : m_data(data), m_step(std::max<std::size_t>(step, 1)), m_failAt(failAt), m_seed(seed) {}

    std::size_t read(char* buf, std::size_t n) override {
        m_failed = m_pos >= m_failAt;
        if (m_seed != 0) m_seed = m_seed * 1103515245u + 12345u;
        const std::size_t piece = m_seed != 0 ? 1 + (m_seed >> 16) % m_step : m_step;
        const std::size_t k =
            m_failed ? 0 : std::min({n, piece, m_data.size() - m_pos, m_failAt - m_pos});
        std::copy_n(m_data.data() + m_pos, k, buf);
        m_pos += k;
        return k;
    }
    bool failed() const override { return m_failed; }

private:
    std::string m_data;
    std::size_t m_step, m_failAt;
    std::uint32_t m_seed;
    std::size_t m_pos = 0;
    bool m_failed = false;
};

/// Keeps the first `room` bytes, then refuses every write that does not fit.
class LimitedWriter final : public quorvel::ByteWriter {
public:
    explicit LimitedWriter(std::size_t room) : m_room(room) {}
    bool write(const char* data, std::size_t n) override {
        if (n > m_room) return false;
        out.append(data, n);
        m_room -= n;
        return true;
    }
    using ByteWriter::write;
    std::string out;

private:
    std::size_t m_room;
};
