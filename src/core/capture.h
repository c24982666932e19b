// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A reception's capture file and the raw data file made from it. The capture holds
// the bytes the instrument sent, framed by STX/ETX; the raw data file keeps its text
// lines that start with a printable character once the STX before a line's first
// record is set aside. Everything streams: a capture of any size is read through a
// fixed buffer.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fileio.h"
#include "io.h"

namespace quorvel {

/// Splits a capture into lines. A line ends at CR; an LF right after that CR belongs
/// to the line end (also when the two arrive in different reads). A lone LF is an
/// ordinary character. The last line needs no line end, and a line end at the very
/// end of the input makes no further (empty) line.
///
/// Lines are handed out in pieces so that an endless line costs no memory:
///   while (r.nextLine()) for (auto p = r.piece(); !p.empty(); p = r.piece()) ...
class CaptureLineReader {
public:
    explicit CaptureLineReader(ByteReader& in, std::size_t bufferSize = 64 * 1024);

    /// Moves to the next line (skipping what is left of the current one); false at
    /// the end of the input or on a read failure.
    bool nextLine();
    /// The next piece of the current line, valid until the next call; empty at the
    /// line's end (so an empty line's first piece is empty).
    std::string_view piece();
    /// The first piece of the current line after the start-of-text characters it
    /// begins with (instruments send STX right before the first record); empty when
    /// the line holds nothing else. Call it instead of the line's first piece().
    std::string_view pieceAfterStx();
    /// Convenience: the next whole line, of which at most `keep` bytes are stored.
    bool next(std::string& line, std::size_t keep = SIZE_MAX);

    bool failed() const { return m_in.failed(); }

private:
    bool fill();

    ByteReader& m_in;
    std::vector<char> m_buf;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    bool m_inLine = false;   // a line was started and its end not yet reached
    bool m_afterCr = false;  // the last line ended at a CR: an LF may follow
};

/// The job record's first four characters.
inline constexpr std::string_view kJobRecordTag = "10NM";

/// The job name of the first line that starts with "10NM" (after any STX): columns 5
/// to 20 of the record, trailing blanks removed, leading blanks kept; a shorter line
/// gives what it has. Nothing when no line is a job record or the input failed.
std::optional<std::string> findJobName(ByteReader& capture);

/// False for a job name that would take a file out of the download folder: one
/// that holds a path separator ("/" or "\") or a NUL byte, or is "." or "..".
bool jobNameIsSafe(std::string_view name);

/// Whether a capture line with this first byte goes into the raw data file.
inline bool keepsLine(unsigned char first) {
    return first >= 32 && first <= 126;
}

struct CopyResult {
    enum class Status { Done, ReadFailed, WriteFailed };
    static constexpr std::size_t kNamedJobs = 5;
    Status status = Status::Done;
    std::uint64_t linesRead = 0;  // every line, copied or left out
    std::uint64_t linesWritten = 0;
    std::uint64_t jobs = 0;             // job records copied
    std::vector<std::string> jobNames;  // of the first kNamedJobs, as findJobName gives them
    bool ok() const { return status == Status::Done; }
};

/// Copies the capture's lines, each without the STX it may begin with, that start
/// with a printable byte (32..126), each ended with CR LF; other lines (an ETX line
/// with its checksum, empty ones) are left out and the copy goes on. The job records
/// among them are counted. `onLine` is called after each line read with the number
/// read so far.
CopyResult copyRawData(ByteReader& capture, ByteWriter& out,
                       const std::function<void(std::uint64_t linesRead)>& onLine = {});

/// A transfer kept in the capture file (after Stop, a lost line, a cancelled save):
/// moved to a name of its own before the next reception empties the capture file.
struct KeptTransfer {
    std::string path;  // its new path; empty when there was nothing to keep
    FileError error;   // it could not be moved: the capture file must stay as it is
};

/// Moves the capture file at `capturePath`, when it is a file (not a link) that holds
/// bytes, to "transfer-YYYYMMDD-HHMMSS.tmp" in its folder, named after its modification
/// time (local), or "-2", "-3"... before ".tmp" when that name is taken.
KeptTransfer keepTransfer(const std::string& capturePath);

}  // namespace quorvel
