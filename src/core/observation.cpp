// SPDX-License-Identifier: GPL-3.0-or-later
#include "observation.h"

#include "numbers.h"
#include "text.h"

namespace quorvel {

namespace {

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool digitOrPoint(char c) {
    return (c >= '0' && c <= '9') || c == '.';
}

// Older M5 files put the point number right-aligned up to column 40 and the code
// after it (from column 41), where the table has the code first: there column 48,
// the table's last point column, is blank and column 40 is not.
bool olderM5(std::string_view line) {
    return line.size() >= 40 && line[39] != ' ' && (line.size() < 48 || line[47] == ' ');
}

char markerOf(std::string_view line, const ObservationLayout& layout) {
    const std::size_t i = static_cast<std::size_t>(layout.MarkerColumn - 1);
    return i < line.size() ? upper(line[i]) : '\0';
}

}  // namespace

const ObservationLayout& classify(std::string_view line) {
    const char a = line.size() > 4 ? upper(line[4]) : '\0';
    const char b = line.size() > 5 ? upper(line[5]) : '\0';
    if (a == 'R' && b == '4') return kLayoutR4;
    if (a == 'R' && b == '5') return kLayoutR5;
    if (a == 'M' && b == '5') return kLayoutM5;
    return kLayoutOther;
}

bool isCoordinateLine(std::string_view line, const ObservationLayout& layout) {
    const char m = markerOf(line, layout);
    return m == 'X' || m == 'Y';
}

std::string_view pointOf(std::string_view line, const ObservationLayout& layout) {
    if (&layout == &kLayoutM5 && olderM5(line)) return withoutLeadingBlanks(columns(line, 22, 19));
    return withoutLeadingBlanks(columns(line, layout.PointColumn, layout.PointWidth));
}

std::string_view codeOf(std::string_view line, const ObservationLayout& layout) {
    const bool older = &layout == &kLayoutM5 && olderM5(line);
    return withoutLeadingBlanks(older ? columns(line, 41, 8)
                                      : columns(line, layout.CodeColumn, layout.CodeWidth));
}

std::string_view valueField(std::string_view line, int column, int width) {
    std::string_view field = columns(line, column, width);
    if (field.empty() || !digitOrPoint(field.back())) return field;
    std::size_t end = static_cast<std::size_t>(column - 1) + field.size();
    while (end < line.size() && digitOrPoint(line[end])) ++end;
    return line.substr(static_cast<std::size_t>(column - 1),
                       end - static_cast<std::size_t>(column - 1));
}

bool reachesRecordEnd(std::string_view line, const ObservationLayout& layout) {
    const auto third = static_cast<std::size_t>(layout.ThirdIdColumn);  // its value field, from 0
    if (&layout != &kLayoutOther) return line.find('|', third) != std::string_view::npos;
    if (line.size() >= third + static_cast<std::size_t>(layout.ValueWidth)) return true;
    const std::string_view field = columns(line, layout.ThirdIdColumn + 1, layout.ValueWidth);
    const std::size_t value = field.find_first_not_of(' ');
    return value != std::string_view::npos && field.find(' ', value) != std::string_view::npos;
}

LineOutcome readCoordinateLine(std::string_view line, const ObservationLayout& layout,
                               CoordinateLine& out) {
    const char marker = markerOf(line, layout);
    if (marker != 'X' && marker != 'Y') return LineOutcome::NotCoordinate;
    out.Marker = marker;
    std::string& first = marker == 'X' ? out.X : out.Y;
    std::string& second = marker == 'X' ? out.Y : out.X;

    second.clear();
    if (!appendStrictNumber(valueField(line, layout.SecondIdColumn + 1, layout.ValueWidth), second))
        return LineOutcome::SecondNotNumber;
    first.clear();
    appendLeadingNumber(valueField(line, layout.MarkerColumn + 1, layout.ValueWidth), first);
    out.Z.clear();
    const std::string_view third = valueField(line, layout.ThirdIdColumn + 1, layout.ValueWidth);
    if (!appendStrictNumber(third, out.Z)) out.Z.assign(third);
    out.Code.assign(codeOf(line, layout));
    out.Point.assign(pointOf(line, layout));
    return LineOutcome::Complete;
}

}  // namespace quorvel
