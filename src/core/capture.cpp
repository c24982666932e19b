// SPDX-License-Identifier: GPL-3.0-or-later
#include "capture.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <ctime>
#include <filesystem>

#include "host_files.h"
#include "text.h"

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

namespace {

constexpr std::size_t kJobFirst = 4;   // column 5, counted from 0
constexpr std::size_t kJobWidth = 16;  // columns 5 to 20

// Gathers the first columns of a line from its pieces, enough for its job name.
void takeHead(std::string& head, std::string_view piece) {
    if (head.size() < kJobFirst + kJobWidth)
        head.append(piece.substr(0, kJobFirst + kJobWidth - head.size()));
}

// The job name of a line that starts (after STX) with `head`, if it is a job record.
std::optional<std::string> jobNameOf(std::string_view head) {
    if (head.size() < kJobFirst || head.substr(0, kJobFirst) != kJobRecordTag) return std::nullopt;
    return std::string(withoutTrailingBlanks(head.substr(kJobFirst)));
}

}  // namespace

std::optional<std::string> findJobName(ByteReader& capture) {
    CaptureLineReader reader(capture);
    std::string head;
    while (reader.nextLine()) {
        head.clear();
        for (std::string_view p = reader.pieceAfterStx();
             !p.empty() && head.size() < kJobFirst + kJobWidth; p = reader.piece())
            takeHead(head, p);
        if (auto name = jobNameOf(head)) return name;
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
            std::string head;
            for (; !p.empty(); p = reader.piece()) {
                takeHead(head, p);
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
            if (auto job = jobNameOf(head); job && ++result.jobs <= CopyResult::kNamedJobs)
                result.jobNames.push_back(std::move(*job));
        }
        ++result.linesRead;
        if (onLine) onLine(result.linesRead);
    }
    if (reader.failed()) result.status = CopyResult::Status::ReadFailed;
    return result;
}

KeptTransfer keepTransfer(const std::string& capturePath) {
    namespace fs = std::filesystem;
    KeptTransfer kept;
    std::error_code ec;
    const fs::path capture(capturePath);
    // A link is never followed: the capture file is created only where none is.
    const fs::file_status status = fs::symlink_status(capture, ec);
    if (!fs::is_regular_file(status) || fs::file_size(capture, ec) == 0 || ec) return kept;
    const auto changed = fs::last_write_time(capture, ec);
    const std::time_t when =
        ec ? std::time(nullptr)
           : std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(changed));
    char stamp[32] = "00000000-000000";
    if (const std::tm* t = std::localtime(&when))
        std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", t);
    for (int n = 1; n < 1000; ++n) {
        const std::string name =
            std::string("transfer-") + stamp + (n == 1 ? "" : "-" + std::to_string(n)) + ".tmp";
        const fs::path to = capture.parent_path() / name;
        const std::error_code moved = renameToNew(capturePath, to.string());
        if (!moved) {
            kept.path = to.string();
            return kept;
        }
        if (moved != std::errc::file_exists) {
            kept.error = FileError{capturePath, moved.default_error_condition().value()};
            return kept;
        }
    }
    kept.error = FileError{capturePath, EEXIST};
    return kept;
}

}  // namespace quorvel
