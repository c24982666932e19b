// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>
#include <string_view>

#include "output_format.h"

namespace quorvel {

/// The output file proposed for an observation file. Only the file name counts (what
/// follows the last folder separator). A name that ends in a dot and three
/// characters gives way to ".out" when that tail is exactly ".dat", otherwise to
/// ".dat"; a longer or shorter extension is replaced by ".dat", and a name without a
/// dot gets ".dat" appended. Characters are UTF-8 code points; a byte that is not
/// valid UTF-8 (see utf8Length) counts as one character. An empty name, or a path that ends in a
/// separator, gives an empty result (nothing to propose).
/// For the formats CSV, DXF and LandXML the extension, if any, gives way to ".csv",
/// ".dxf" or ".xml" (or that is appended).
std::string outputNameFor(std::string_view observationName,
                          OutputFormat format = OutputFormat::Autocogo1);

}  // namespace quorvel
