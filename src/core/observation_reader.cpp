// SPDX-License-Identifier: GPL-3.0-or-later
#include "observation_reader.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace quorvel {

namespace {

bool lineEnd(char c) {
    return c == '\r' || c == '\n';
}

bool digitOrPoint(char c) {
    return (c >= '0' && c <= '9') || c == '.';
}

// Sixteen bytes, compared all at once (SSE2, NEON... whatever the target has).
using Block = char __attribute__((vector_size(16)));

// The first CR or LF in [from, to), or `to`. Looking for line ends is a large part
// of a conversion, so blocks of sixteen bytes are tested at once.
std::size_t findLineEnd(const char* data, std::size_t from, std::size_t to) {
    std::size_t i = from;
    for (; i + sizeof(Block) <= to; i += sizeof(Block)) {
        Block b;
        std::memcpy(&b, data + i, sizeof b);
        const Block ends = (b == '\r') | (b == '\n');  // each byte 0 or all ones
        std::uint64_t halves[2];
        std::memcpy(halves, &ends, sizeof halves);
        if ((halves[0] | halves[1]) == 0) continue;
        // The first byte set is the end; in memory order that is the lowest on a
        // little-endian machine. Elsewhere the bytes are looked at one by one.
        if constexpr (std::endian::native == std::endian::little)
            return i + static_cast<std::size_t>(halves[0] != 0
                                                    ? std::countr_zero(halves[0]) / 8
                                                    : 8 + std::countr_zero(halves[1]) / 8);
        break;
    }
    while (i < to && !lineEnd(data[i])) ++i;
    return i;
}

}  // namespace

ObservationLineReader::ObservationLineReader(ByteReader& in, std::size_t bufferSize,
                                             std::size_t lineLimit)
    : m_in(in),
      m_buf(bufferSize > 0 ? bufferSize : 1),
      m_limit(std::clamp(lineLimit, kMinLineLimit, SIZE_MAX / 4)) {}

bool ObservationLineReader::next(std::string_view& line) {
    if (m_cut) skipRestOfLine();
    for (;;) {
        if (m_afterCr && m_start < m_end) {
            if (m_buf[m_start] == '\n') m_scan = ++m_start;
            m_afterCr = false;
        }
        const char* data = m_buf.data();
        // A line end right after the limit still ends a line of exactly that length.
        const std::size_t stop = std::min(m_end, m_start + m_limit + 1);
        const std::size_t i = findLineEnd(data, m_scan, stop);
        if (i < stop) {
            line = std::string_view(data + m_start, i - m_start);
            m_afterCr = data[i] == '\r';
            m_start = m_scan = i + 1;
            return true;
        }
        m_scan = i;
        if (i == m_start + m_limit + 1) {  // longer than the limit: hand out its start
            m_cut = true;
            m_cutAt = m_start + m_limit;
            line = std::string_view(data + m_start, m_limit);
            return true;
        }
        if (!fill()) {
            m_afterCr = false;
            if (m_start == m_end) return false;
            // fill() may have moved the bytes: take the buffer afresh.
            line = std::string_view(m_buf.data() + m_start, m_end - m_start);
            m_start = m_scan = m_end;
            m_unended = true;
            return true;
        }
    }
}

std::string_view ObservationLineReader::extendRun() {
    if (!m_cut) return {};
    for (;;) {
        while (m_cutAt < m_end && digitOrPoint(m_buf[m_cutAt])) ++m_cutAt;
        if (m_cutAt < m_end) break;
        // The run goes on in the next read: keep the line so far (the buffer grows).
        const std::size_t kept = m_cutAt - m_start;
        if (!fill()) break;
        m_cutAt = m_start + kept;
    }
    return {m_buf.data() + m_start, m_cutAt - m_start};
}

void ObservationLineReader::skipRestOfLine() {
    m_cut = false;
    m_scan = m_cutAt;
    for (;;) {
        m_scan = findLineEnd(m_buf.data(), m_scan, m_end);
        if (m_scan < m_end) {
            m_afterCr = m_buf[m_scan] == '\r';
            m_start = m_scan = m_scan + 1;
            return;
        }
        m_start = m_scan = m_end;  // nothing of it is kept
        if (!fill()) return;
    }
}

bool ObservationLineReader::fill() {
    if (m_eof) return false;
    // Keep the unfinished line: move it to the front, and make room when it fills
    // the whole buffer.
    const std::size_t kept = m_end - m_start;
    if (m_start > 0) {
        std::memmove(m_buf.data(), m_buf.data() + m_start, kept);
        m_scan -= m_start;
        m_start = 0;
        m_end = kept;
    }
    if (m_end == m_buf.size()) m_buf.resize(m_buf.size() * 2);
    const std::size_t n = m_in.read(m_buf.data() + m_end, m_buf.size() - m_end);
    if (n == 0) {
        m_eof = true;
        return false;
    }
    m_end += n;
    return true;
}

}  // namespace quorvel
