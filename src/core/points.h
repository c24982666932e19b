// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The points of an observation file as a conversion sees them, and the checks a
// surveyor wants before the coordinates leave: a point number at two positions,
// placeholders at 0/0, points far from the rest, lines not written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "conversion.h"
#include "io.h"

namespace quorvel {

/// One coordinate line of the file.
struct PointRow {
    std::int64_t line = 0;  // its line number in the file, from 1
    std::string point;      // point number, code, X, Y, Z as the output writes them
    std::string code;
    std::string x;
    std::string y;
    std::string z;
    std::optional<NotWrittenReason> notWritten;  // nothing: the line is written
    std::string station;  // reduced from an observation from this station; empty otherwise
    bool placed = false;  // X and Y are numbers: east and north hold its position
    double east = 0;
    double north = 0;
    std::uint8_t warnings = 0;  // the bits of the warnings that name this line
};

enum class PointWarning : std::uint8_t {
    Duplicate = 1,   // its point number is used at two or more positions
    AtOrigin = 2,    // X and Y are both 0, far from the job's other points
    Far = 4,         // far from the rest of the job
    NotWritten = 8,  // the output leaves it out
    Nothing = 16,    // the file holds no coordinate lines (names no line)
};

struct WarningSummary {
    PointWarning kind;
    std::string text;  // with the count of lines (point numbers for duplicates) it names
};

struct PointList {
    std::vector<PointRow> rows;
    ConversionCounts counts;
    std::vector<WarningSummary> warnings;  // in the order of PointWarning
    /// The file holds no coordinate lines at all.
    bool empty() const { return rows.empty(); }
};

/// Reads every coordinate line of `in` as a conversion to `options` would, and marks
/// the warnings. Writes nothing.
PassResult readPoints(ByteReader& in, const ConversionOptions& options, PointList& list);

/// Marks the warnings of `list.rows` and fills `list.warnings`.
void checkPoints(PointList& list);

/// A point measured again lands this close to where it was (in the units of the
/// file); a number used farther apart names two points.
inline constexpr double kSamePosition = 0.05;

/// A far point lies more than this many times the median distance from the median
/// position of all points; a point at 0/0 is a placeholder when 0/0 lies that far
/// from the other points.
inline constexpr double kFarFactor = 20;

/// The length of a scale bar of at most `most` units: 1, 2 or 5 times a power of ten.
double scaleBarLength(double most);

}  // namespace quorvel
