// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One line of an observation file: its record type picks a column table, and a line
// whose marker column holds X or Y carries a coordinate.

#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel {

/// Column table of one record type. Columns count from 1; each value field begins
/// one column after its marker or identifier column.
struct ObservationLayout {
    int CodeColumn;
    int CodeWidth;
    int PointColumn;
    int PointWidth;
    int MarkerColumn;
    int SecondIdColumn;
    int ThirdIdColumn;
    int ValueWidth;
};

inline constexpr ObservationLayout kLayoutR4{11, 3, 14, 4, 19, 39, 59, 12};
inline constexpr ObservationLayout kLayoutR5{20, 3, 23, 4, 28, 48, 68, 12};
inline constexpr ObservationLayout kLayoutM5{22, 16, 38, 11, 50, 73, 96, 16};
inline constexpr ObservationLayout kLayoutOther{9, 16, 25, 11, 37, 52, 68, 12};

/// The table for the record type at columns 5-6 (case ignored).
const ObservationLayout& classify(std::string_view line);

/// The marker column holds X or Y (case ignored).
bool isCoordinateLine(std::string_view line, const ObservationLayout& layout);

/// The coordinate of one line, every field as text.
struct CoordinateLine {
    char Marker = 'X';  // 'X' or 'Y'
    std::string X;
    std::string Y;
    std::string Z;
    std::string Code;   // leading blanks removed, trailing ones kept
    std::string Point;  // likewise
};

enum class LineOutcome {
    NotCoordinate,    // marker is neither X nor Y
    SecondNotNumber,  // a coordinate line, but its second value is not a number
    Complete,         // `out` holds the coordinate
};

/// Cuts the coordinate out of `line`. An M5 line of the older variant (column 48
/// blank, column 40 not) takes its point number from columns 22-40 and its code from
/// columns 41-48. `out` is reused so that its strings keep their
/// capacity from line to line; on any outcome but Complete its content is unspecified.
LineOutcome readCoordinateLine(std::string_view line, const ObservationLayout& layout,
                               CoordinateLine& out);

/// A coordinate line reaches the end of its record, as a line cut off mid-way does
/// not: R4, R5 and M5 records reach the '|' that closes the third value's field; the
/// other table's records reach the end of the third value field, or close the value
/// in it with a blank (their lines often end a column short of the field).
bool reachesRecordEnd(std::string_view line, const ObservationLayout& layout);

/// The point number of a coordinate line, leading blanks removed (trailing ones kept).
std::string_view pointOf(std::string_view line, const ObservationLayout& layout);

/// Its code, likewise.
std::string_view codeOf(std::string_view line, const ObservationLayout& layout);
/// The characters of a value field: `width` columns from `column`, cut short by the
/// line's end. Instruments often right-align a value a column or two past the field;
/// a field that ends in a digit or point, followed on the line by digits or points,
/// runs on over them so that no digit is lost.
std::string_view valueField(std::string_view line, int column, int width);

}  // namespace quorvel
