// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What Convert writes: one of the three layouts of the coordinate file, or CSV for
// spreadsheets and GIS, DXF for CAD programs, LandXML for civil design programs.

#include <array>
#include <optional>
#include <string_view>

namespace quorvel {

/// Numbered as the settings have always stored them.
enum class OutputFormat {
    Autocogo1 = 1,
    Autocogo2,
    Autocogo3,
    Csv,
    Dxf,
    LandXml,
};
inline constexpr std::array<OutputFormat, 6> kOutputFormats = {
    OutputFormat::Autocogo1, OutputFormat::Autocogo2, OutputFormat::Autocogo3,
    OutputFormat::Csv,       OutputFormat::Dxf,       OutputFormat::LandXml};

// Whether this build writes DXF and LandXML (it needs dxflib and tinyxml2 for them).
#ifdef QUORVEL_LIBRARY_FORMATS
inline constexpr bool kLibraryFormats = true;
#else
inline constexpr bool kLibraryFormats = false;
#endif

/// One of the three fixed layouts (which the closing message calls a layout).
inline bool isLayout(OutputFormat format) {
    return format == OutputFormat::Autocogo1 || format == OutputFormat::Autocogo2 ||
           format == OutputFormat::Autocogo3;
}

/// The format of a stored number 1..6; nothing for any other.
inline std::optional<OutputFormat> outputFormatNumbered(int number) {
    if (number < 1 || number > static_cast<int>(kOutputFormats.size())) return std::nullopt;
    return static_cast<OutputFormat>(number);
}

inline int numberOf(OutputFormat format) {
    return static_cast<int>(format);
}

/// "Autocogo 1".."Autocogo 3", "CSV", "DXF", "LandXML"; empty for no such format.
std::string_view formatName(OutputFormat format);

/// ".csv", ".dxf", ".xml"; empty for the layouts, whose extension follows the
/// observation file's (see outputNameFor).
std::string_view formatExtension(OutputFormat format);

}  // namespace quorvel
