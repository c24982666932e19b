#include "observation_reader.h"

#include <cstring>

namespace quorvel {

ObservationLineReader::ObservationLineReader(ByteReader& in, std::size_t bufferSize)
    : m_in(in), m_buf(bufferSize > 0 ? bufferSize : 1) {}

bool ObservationLineReader::next(std::string_view& line) {
    for (;;) {
        if (m_afterCr && m_start < m_end) {
            if (m_buf[m_start] == '\n') m_scan = ++m_start;
            m_afterCr = false;
        }
        const char* data = m_buf.data();
        std::size_t i = m_scan;
        while (i < m_end && data[i] != '\r' && data[i] != '\n') ++i;
        if (i < m_end) {
            line = std::string_view(data + m_start, i - m_start);
            m_afterCr = data[i] == '\r';
            m_start = m_scan = i + 1;
            return true;
        }
        m_scan = m_end;
        if (!fill()) {
            m_afterCr = false;
            if (m_start == m_end) return false;
            // fill() may have moved the bytes: take the buffer afresh.
            line = std::string_view(m_buf.data() + m_start, m_end - m_start);
            m_start = m_scan = m_end;
            return true;
        }
    }
}

bool ObservationLineReader::fill() {
    if (m_eof) return false;
    // Keep the unfinished line: move it to the front, and make room when it fills
    // the whole buffer (memory grows with the longest line, not with the file).
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
