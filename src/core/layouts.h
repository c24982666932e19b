// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The three layouts of the coordinate file, one point per line ending in CR LF.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "observation.h"
#include "output_format.h"

namespace quorvel {

/// Its Z is empty or blanks only: no layout writes the line.
bool lacksZ(const CoordinateLine& line);

/// Appends `line` in `layout` (Autocogo 1, 2 or 3) to `out`, with `number` as
/// its generated point number. Returns the layout's name line ("Output Format:
/// Autocogo 1"...), or nothing (and writes nothing) for any other format.
/// A line whose Z is empty or blank writes nothing but still names the layout.
/// Layout 2 writes the point number without its trailing blanks.
std::optional<std::string_view> appendCoordinateLine(std::string& out, OutputFormat layout,
                                                     const CoordinateLine& line,
                                                     std::int64_t number);

}  // namespace quorvel
