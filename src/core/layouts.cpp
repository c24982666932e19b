// SPDX-License-Identifier: GPL-3.0-or-later
#include "layouts.h"

#include <charconv>
#include <cstring>

#include "text.h"

namespace quorvel {

namespace {

constexpr std::string_view kNameLines[] = {"Output Format: Autocogo 1", "Output Format: Autocogo 2",
                                           "Output Format: Autocogo 3"};

// A coordinate line is put together in place: the output grows once by the most the
// line can take, the fields are copied in, and what was not used is cut off again.
// This keeps a conversion from growing the output field by field.
class LineWriter {
public:
    LineWriter(std::string& out, std::size_t most) : m_out(out), m_start(out.size()) {
        out.resize(m_start + most);
        m_lineStart = m_p = out.data() + m_start;
    }
    ~LineWriter() { m_out.resize(static_cast<std::size_t>(m_p - m_out.data())); }
    LineWriter(const LineWriter&) = delete;
    LineWriter& operator=(const LineWriter&) = delete;

    void put(std::string_view s) {
        std::memcpy(m_p, s.data(), s.size());
        m_p += s.size();
    }
    void put(char c) { *m_p++ = c; }
    void putNumber(std::int64_t number) { m_p = std::to_chars(m_p, m_p + 20, number).ptr; }
    // Fixed columns: the field starts at `column` (from 1). A line already past that
    // column is ended and the field starts at that column of the next line.
    void placeField(std::size_t column, std::string_view field) {
        const std::size_t k = static_cast<std::size_t>(m_p - m_lineStart);
        if (k + 1 < column) {
            blanks(column - 1 - k);
        } else if (k + 1 > column) {
            put("\r\n");
            m_lineStart = m_p;
            blanks(column - 1);
        }
        put(field);
    }

    // Room for a layout's own characters: the number, the line end and blanks
    // before each fixed column (at most 2 + 49 each), commas.
    static constexpr std::size_t kRoom = 24 + 5 * (2 + 49);

private:
    void blanks(std::size_t n) {
        std::memset(m_p, ' ', n);
        m_p += n;
    }

    std::string& m_out;
    std::size_t m_start;
    char* m_p;
    char* m_lineStart;
};

}  // namespace

bool lacksZ(const CoordinateLine& line) {
    return blank(line.Z);
}

std::optional<std::string_view> appendCoordinateLine(std::string& out, OutputFormat layout,
                                                     const CoordinateLine& line,
                                                     std::int64_t number) {
    if (!isLayout(layout)) return std::nullopt;
    const std::string_view name = kNameLines[numberOf(layout) - 1];
    if (lacksZ(line)) return name;

    LineWriter w(out, LineWriter::kRoom + line.X.size() + line.Y.size() + line.Z.size() +
                          line.Code.size() + line.Point.size());
    if (layout == OutputFormat::Autocogo3) {
        w.putNumber(number);
        for (const std::string* field : {&line.X, &line.Y, &line.Z, &line.Code, &line.Point}) {
            w.put(',');
            w.put(*field);
        }
        w.put("\r\n");
        return name;
    }

    if (layout == OutputFormat::Autocogo1) {
        w.putNumber(number);
    } else {
        // Trailing blanks would push X past its column onto a line of its own.
        w.put(withoutTrailingBlanks(line.Point));
    }
    w.placeField(8, line.X);
    w.placeField(23, line.Y);
    w.placeField(37, line.Z);
    w.placeField(50, line.Code);
    // Layout 1 joins code and point number; a point number of exactly "0" is none.
    if (layout == OutputFormat::Autocogo1 && line.Point != "0") w.put(line.Point);
    w.put("\r\n");
    return name;
}

}  // namespace quorvel
