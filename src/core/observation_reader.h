// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Lines of an observation file. CR, CR LF and a lone LF each end a line (files
// copied through other systems often have LF-only ends); the last line needs no end.
// This rule is the observation file's own: the capture of a download has another.
//
// Memory stays bounded whatever a line's length: only the first `lineLimit` bytes
// of a line are kept (every record's columns lie far inside them), and the caller
// asks for more only where a value runs on past them.

#include <cstddef>
#include <string_view>
#include <vector>

#include "io.h"

namespace quorvel {

class ObservationLineReader {
public:
    /// `lineLimit` is raised to at least kMinLineLimit.
    explicit ObservationLineReader(ByteReader& in, std::size_t bufferSize = 256 * 1024,
                                   std::size_t lineLimit = 64 * 1024);

    static constexpr std::size_t kMinLineLimit = 128;

    /// The next line without its end, cut at the line limit; false at the end of the
    /// input or on a read failure (see failed()). The view stays valid until the next
    /// call to next() or extendRun().
    bool next(std::string_view& line);
    /// The current line was longer than the limit and was cut.
    bool cut() const { return m_cut; }
    /// The current line is the last and has no line end: it may have been cut off.
    bool unended() const { return m_unended; }
    /// For a cut line: the line up to the end of the digits and points that run on
    /// from where it was cut (a value written across the limit), nothing further.
    std::string_view extendRun();
    bool failed() const { return m_in.failed(); }

private:
    bool fill();
    void skipRestOfLine();

    ByteReader& m_in;
    std::vector<char> m_buf;
    std::size_t m_limit;
    std::size_t m_start = 0;  // first byte of the current line
    std::size_t m_scan = 0;   // where the search for its end goes on
    std::size_t m_end = 0;    // end of the bytes read
    std::size_t m_cutAt = 0;  // end of what was handed out of a cut line
    bool m_eof = false;
    bool m_afterCr = false;  // the last line ended with CR: an LF next belongs to it
    bool m_cut = false;
    bool m_unended = false;
};

}  // namespace quorvel
