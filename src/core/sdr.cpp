// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdr.h"

#include <algorithm>

#include "numbers.h"

namespace quorvel {

namespace {

constexpr char kStx = 2;
constexpr std::size_t kDescriptionWidth = 16;

bool digit(char c) {
    return c >= '0' && c <= '9';
}

bool upperOrDigit(char c) {
    return digit(c) || (c >= 'A' && c <= 'Z');
}

// `width` characters from `start` (counted from 0), cut short by the line's end.
std::string_view cut(std::string_view line, std::size_t start, std::size_t width) {
    return start < line.size() ? line.substr(start, width) : std::string_view();
}

// The record, without the STX a download may have left before it.
std::string_view recordOf(std::string_view line) {
    return line.substr(std::min(line.size(), line.find_first_not_of(kStx)));
}

std::string_view withoutLeadingBlanks(std::string_view s) {
    const std::size_t i = s.find_first_not_of(' ');
    return i == std::string_view::npos ? std::string_view() : s.substr(i);
}

}  // namespace

SdrRecords::Kind SdrRecords::next(std::string_view line) {
    const std::string_view record = recordOf(line);
    const std::string_view tag = record.substr(0, 4);
    if (tag == "00NM") {
        // Columns 5-20 name the version, column 45 the order: 1 northing first, 2 easting.
        const std::string_view version = cut(record, 4, 16);
        m_decided = version.substr(0, 4) == "SDR2" || version.substr(0, 5) == "SDR33";
        m_idWidth = version.substr(0, 4) == "SDR2" ? 4 : 16;
        m_numberWidth = m_idWidth == 4 ? 10 : 16;
        m_eastingFirst = record.size() > 44 && record[44] == '2';
        m_sdr = true;
        return Kind::Passed;
    }
    if (tag == "10NM") m_sdr = true;
    if (!m_sdr) return Kind::NotSdr;
    const bool shaped = tag.size() == 4 && digit(tag[0]) && digit(tag[1]) && upperOrDigit(tag[2]) &&
                        upperOrDigit(tag[3]);
    if (!shaped || (tag.substr(0, 2) != "08" && tag.substr(0, 2) != "02")) return Kind::Passed;
    if (!m_decided) m_assumed = true;
    return Kind::Coordinate;
}

bool SdrRecords::complete(std::string_view line) const {
    line = recordOf(line);
    const std::size_t fields = line.substr(0, 2) == "02" ? 4 : 3;
    return line.size() >= 4 + static_cast<std::size_t>(m_idWidth) +
                              fields * static_cast<std::size_t>(m_numberWidth);
}

bool SdrRecords::read(std::string_view line, Axes axes, CoordinateLine& out) const {
    line = recordOf(line);
    const std::size_t id = static_cast<std::size_t>(m_idWidth);
    const std::size_t number = static_cast<std::size_t>(m_numberWidth);
    std::string_view fields[3];  // in the file's order, then the elevation
    for (std::size_t i = 0; i < 3; ++i) fields[i] = cut(line, 4 + id + i * number, number);
    const std::string_view northing = fields[m_eastingFirst ? 1 : 0];
    const std::string_view easting = fields[m_eastingFirst ? 0 : 1];
    const bool xIsEasting = axes == Axes::XEastYNorth;
    out.Point.assign(withoutLeadingBlanks(cut(line, 4, id)));
    out.Marker = 'X';
    out.X.clear();
    out.Y.clear();
    if (!appendStrictNumber(xIsEasting ? easting : northing, out.X) ||
        !appendStrictNumber(xIsEasting ? northing : easting, out.Y))
        return false;
    out.Z.clear();
    if (!appendStrictNumber(fields[2], out.Z)) out.Z.assign(fields[2]);
    // A station record has the instrument height between elevation and code.
    const std::size_t extra = line.substr(0, 2) == "02" ? number : 0;
    out.Code.assign(
        withoutLeadingBlanks(cut(line, 4 + id + 3 * number + extra, kDescriptionWidth)));
    return true;
}

}  // namespace quorvel
