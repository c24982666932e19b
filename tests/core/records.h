// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Observation lines for the core tests: records placed column by column, and what a line
// reads as.
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

#include "core/observation.h"
#include "core/text.h"

inline const auto b = [](std::size_t n) { return std::string(n, ' '); };

// `n` blanks, each text placed from its column (from 1), or ending there when it is negative.
inline std::string line(std::initializer_list<std::pair<int, std::string_view>> at,
                        std::size_t n = 90) {
    std::string s(n, ' ');
    for (const auto& [column, text] : at) {
        const std::size_t from = column > 0 ? column - 1 : -column - text.size();
        s.replace(from, text.size(), text);
    }
    return s;
}

// An R4 record, its third value's field closed by '|' as the instruments write it.
inline std::string r4(std::string_view point, std::string_view x, std::string_view y,
                      std::string_view z) {
    return line(
        {{5, "R4"}, {11, "TR"}, {14, point}, {19, "X"}, {-31, x}, {-51, y}, {-71, z}, {78, "|"}},
        78);
}

// What a line reads as: marker, X, Y, Z, code and point, or why it has no coordinate.
inline std::string fields(std::string_view l) {
    quorvel::CoordinateLine c;
    const quorvel::LineOutcome r = quorvel::readCoordinateLine(l, quorvel::classify(l), c);
    if (r != quorvel::LineOutcome::Complete)
        return r == quorvel::LineOutcome::NotCoordinate ? "none" : "2nd?";
    return c.Marker + ("|" + c.X + "|" + c.Y + "|" + c.Z + "|" + c.Code + "|" + c.Point);
}

// A field without the blanks that pad it.
inline std::string trim(std::string_view s) {
    return std::string(quorvel::withoutBlanks(s));
}
