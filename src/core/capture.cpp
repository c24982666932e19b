// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture.h"

#include <cstring>

namespace quorvel {

CaptureLineReader::CaptureLineReader(ByteReader& in, std::size_t bufferSize)
    : m_in(in), m_buf(bufferSize > 0 ? bufferSize : 1) {}

bool CaptureLineReader::fill() {
    if (m_eof) return false;
    m_pos = 0;
    m_end = m_in.read(m_buf.data(), m_buf.size());
    if (m_end == 0) m_eof = true;
    return m_end > 0;
}

bool CaptureLineReader::nextLine() {
    while (m_inLine) piece();
    if (m_afterCr) {
        // The LF of a CR LF pair may come with the next read.
        if (m_pos == m_end && !fill()) return false;
        if (m_buf[m_pos] == '\n') ++m_pos;
        m_afterCr = false;
    }
    if (m_pos == m_end && !fill()) return false;
    m_inLine = true;
    return true;
}

std::string_view CaptureLineReader::piece() {
    if (!m_inLine) return {};
    if (m_pos == m_end && !fill()) {
        m_inLine = false;  // the last line, without a line end
        return {};
    }
    const char* start = m_buf.data() + m_pos;
    const std::size_t avail = m_end - m_pos;
    const void* cr = std::memchr(start, '\r', avail);
    if (cr == nullptr) {
        m_pos = m_end;
        return {start, avail};
    }
    const std::size_t n = static_cast<std::size_t>(static_cast<const char*>(cr) - start);
    m_pos += n + 1;
    m_inLine = false;
    m_afterCr = true;
    return {start, n};
}

std::string_view CaptureLineReader::pieceAfterStx() {
    constexpr char kStx = 2;
    for (std::string_view p = piece(); !p.empty(); p = piece()) {
        const std::size_t first = p.find_first_not_of(kStx);
        if (first != std::string_view::npos) return p.substr(first);
    }
    return {};
}

bool CaptureLineReader::next(std::string& line, std::size_t keep) {
    if (!nextLine()) return false;
    line.clear();
    for (std::string_view p = piece(); !p.empty(); p = piece())
        if (line.size() < keep) line.append(p.substr(0, keep - line.size()));
    return true;
}

std::optional<std::string> findJobName(ByteReader& capture) {
    constexpr std::size_t kFirst = 4;   // column 5, counted from 0
    constexpr std::size_t kWidth = 16;  // columns 5 to 20
    CaptureLineReader reader(capture);
    std::string line;
    while (reader.nextLine()) {
        line.clear();
        for (std::string_view p = reader.pieceAfterStx();
             !p.empty() && line.size() < kFirst + kWidth; p = reader.piece())
            line.append(p.substr(0, kFirst + kWidth - line.size()));
        if (line.size() < kFirst || line.compare(0, kFirst, kJobRecordTag) != 0) continue;
        std::string name = line.substr(kFirst);
        const std::size_t last = name.find_last_not_of(' ');
        name.erase(last == std::string::npos ? 0 : last + 1);
        return name;
    }
    return std::nullopt;
}

bool jobNameIsSafe(std::string_view name) {
    if (name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

CopyResult copyRawData(ByteReader& capture, ByteWriter& out,
                       const std::function<void(std::uint64_t)>& onLine) {
    CaptureLineReader reader(capture);
    CopyResult result;
    while (reader.nextLine()) {
        std::string_view p = reader.pieceAfterStx();
        // An empty line has no first character: it is left out like any other.
        if (!p.empty() && keepsLine(static_cast<unsigned char>(p.front()))) {
            for (; !p.empty(); p = reader.piece()) {
                if (!out.write(p)) {
                    result.status = CopyResult::Status::WriteFailed;
                    return result;
                }
            }
            if (!out.write("\r\n", 2)) {
                result.status = CopyResult::Status::WriteFailed;
                return result;
            }
            ++result.linesWritten;
        }
        ++result.linesRead;
        if (onLine) onLine(result.linesRead);
    }
    if (reader.failed()) result.status = CopyResult::Status::ReadFailed;
    return result;
}

}  // namespace quorvel
