// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The writers of the output formats beside the three layouts: CSV for spreadsheets
// and GIS, DXF for CAD programs, LandXML for civil design programs.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "axes.h"
#include "conversion.h"
#include "io.h"
#include "observation.h"
#include "output_format.h"

namespace quorvel {

/// Writes the points of one file in a format that has a header and a closing part.
class PointWriter {
public:
    virtual ~PointWriter() = default;
    /// The closing message's name line ("Output Format: CSV").
    virtual std::string_view nameLine() const = 0;
    /// Appends a point whose Z is not blank, `number` its generated point number and
    /// `fileLine` its line in the file. False, with nothing appended, when a value the
    /// format needs as a number is not one.
    virtual bool append(std::string& out, const CoordinateLine& line, std::int64_t number,
                        std::int64_t fileLine) = 0;
    /// Appends what ends the file to `out` (for DXF, the whole drawing), writing to
    /// `sink` whatever `out` holds when it grows large. False when a write failed.
    virtual bool finish(std::string& out, ByteWriter& sink) = 0;
    /// The points written under a name other than their number so far.
    virtual RenamedPoints renamed() const { return {}; }
};

/// The writer of CSV, DXF or LandXML (nothing for the layouts or an unknown format).
/// `axes` tells which of X and Y is the easting where the format places points.
std::unique_ptr<PointWriter> makePointWriter(OutputFormat format, Axes axes);

/// Writers of the library-backed formats (formats_dxf.cpp, formats_landxml.cpp).
std::unique_ptr<PointWriter> makeDxfWriter(Axes axes);
std::unique_ptr<PointWriter> makeLandXmlWriter(Axes axes);

/// The height of a DXF drawing's texts for points spread over `width` by `height`
/// (east and north): about 1/400 of the larger side, to two significant digits, and
/// never below kLeastTextHeight, so that numbers are legible on a 5 km job and do not
/// cover a 5 m one.
inline constexpr double kLeastTextHeight = 0.05;
double dxfTextHeight(double width, double height);

/// The layer of a code in a DXF drawing: the code without trailing blanks, in
/// capitals, when it is a valid name (at most 28 of A-Z 0-9 $ - _, so that "_NO"
/// still fits); otherwise its valid characters with '_' for the others, cut to 23,
/// then '$' and four hex digits of the code, so that each code keeps its own layer
/// whatever order points come in. An empty code is layer "0".
std::string dxfLayerName(std::string_view code);

/// `text` as valid UTF-8 without control characters (tab excepted): each byte of
/// an invalid sequence and each control becomes U+FFFD. Trailing blanks are cut.
std::string cleanText(std::string_view text);

}  // namespace quorvel
