#pragma once
// Lines of an observation file. CR, CR LF and a lone LF each end a line (files
// copied through other systems often have LF-only ends); the last line needs no end.
// This rule is the observation file's own: the capture of a download has another.

#include <cstddef>
#include <string_view>
#include <vector>

#include "io.h"

namespace quorvel {

class ObservationLineReader {
public:
    explicit ObservationLineReader(ByteReader& in, std::size_t bufferSize = 256 * 1024);

    /// The next line without its end; false at the end of the input or on a read
    /// failure (see failed()). The view stays valid until the next call.
    bool next(std::string_view& line);
    bool failed() const { return m_in.failed(); }

private:
    bool fill();

    ByteReader& m_in;
    std::vector<char> m_buf;
    std::size_t m_start = 0;  // first byte of the current line
    std::size_t m_scan = 0;   // where the search for its end goes on
    std::size_t m_end = 0;    // end of the bytes read
    bool m_eof = false;
    bool m_afterCr = false;  // the last line ended with CR: an LF next belongs to it
};

}  // namespace quorvel
