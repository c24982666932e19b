// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// For tests and fuzzers: a reader handing out small pieces (line ends fall across reads) that
// may fail midway, and a writer that runs out of room.
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
        m_pos += m_data.copy(buf, k, m_pos);
        return k;
    }
    bool failed() const override { return m_failed; }

private:
    std::string m_data;
    std::size_t m_step, m_failAt, m_pos = 0;
    std::uint32_t m_seed;
    bool m_failed = false;
};

/// Keeps the first `room` bytes, then refuses every write that does not fit.
struct LimitedWriter final : quorvel::ByteWriter {
    explicit LimitedWriter(std::size_t room) : room(room) {}
    bool write(const char* data, std::size_t n) override {
        if (n > room) return false;
        out.append(data, n);
        room -= n;
        return true;
    }
    using ByteWriter::write;
    std::string out;
    std::size_t room;  // what is left
};
