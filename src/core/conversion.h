// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The conversion of an observation file into a coordinate file: the pass over the
// lines, and the job around it that the window and the command-line tool share.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "io.h"
#include "output_format.h"
#include "sdr.h"

namespace quorvel {

/// Why a coordinate line was counted but not written.
enum class NotWrittenReason {
    NoZ,                   // its Z is empty or blank
    SecondNotNumber,       // its second value is not a number
    PositionNotNumbers,    // an SDR record whose northing or easting is not a number
    ZNotNumber,            // DXF and LandXML only: its Z is text, not a number
    CutOff,                // the file's last line, without a line end, ends mid-record
    AnglesOnly,            // an observation without a slope distance
    NoStation,             // an observation whose station has no 02 record
    ObservationNotNumber,  // an observation with a value it needs that is not a number
    AnglesNotRead,         // an observation of a file whose angle unit is not read
};
inline constexpr std::size_t kNotWrittenReasons = 9;

struct NotWrittenLines {
    static constexpr std::size_t kNamed = 5;
    std::int64_t count = 0;
    std::vector<std::string> points;  // the first few, as the closing message names them
    /// Counts a line, and names it while fewer than kNamed are named.
    void add(std::string name) {
        ++count;
        if (points.size() < kNamed) points.push_back(std::move(name));
    }
};

/// Points a format wrote under a name other than their point number (LandXML, whose
/// names must be unique), by their new names.
struct RenamedPoints {
    NotWrittenLines repeated;    // a number used before: the number, "-2", "-3"...
    NotWrittenLines unnumbered;  // no number: named by their line
};

struct ConversionCounts {
    std::int64_t LineCount = 0;        // lines read
    std::int64_t CoordinateCount = 0;  // coordinate lines, written or not
    std::string nameLine;              // of the last line that reached a layout
    std::int64_t written = 0;          // coordinate lines written
    std::array<NotWrittenLines, kNotWrittenReasons> notWritten;
    RenamedPoints renamed;
    bool sdrWidthsAssumed = false;  // SDR records read without a header stating their widths
    std::int64_t reduced = 0;       // coordinate lines reduced from observations
    std::string anglesNotRead;      // why, when the file's angles are not read
    std::string distanceUnit;       // "m" or "ft" as SDR headers state it; empty if none
};

/// The reason as the closing message words it ("without Z", "cut off").
std::string notWrittenText(NotWrittenReason reason, const ConversionCounts& counts);

struct CoordinateLine;

/// Told of each coordinate line as the pass decides it.
class CoordinateObserver {
public:
    virtual ~CoordinateObserver() = default;
    /// `coordinate` holds the line's fields; when its position could not be read
    /// (`SecondNotNumber`, `PositionNotNumbers`, `CutOff`, the observations') only its
    /// point number and code. `station` names the station of a point reduced from an
    /// observation; it is empty for every other line.
    virtual void seen(std::int64_t lineNumber, const CoordinateLine& coordinate,
                      std::optional<NotWrittenReason> notWritten, std::string_view station) = 0;
};

struct ConversionOptions {
    OutputFormat outputFormat = OutputFormat::Autocogo1;
    /// How the northings and eastings of SDR records become X and Y, and which of X
    /// and Y is the easting where DXF and LandXML place points.
    Axes axes = Axes::XNorthYEast;
    /// Bytes of each line kept in memory (see ObservationLineReader).
    std::size_t lineLimit = 64 * 1024;
    CoordinateObserver* observer = nullptr;
};

enum class PassResult { Ok, ReadFailed, WriteFailed };

/// Reads every line of `in`, writes the coordinate lines to `out` in the layout of
/// `options` (or the format of formats.h). `counts` starts from zero and holds the totals so far.
PassResult convertObservations(ByteReader& in, ByteWriter& out, const ConversionOptions& options,
                               ConversionCounts& counts);
inline PassResult convertObservations(ByteReader& in, ByteWriter& out, OutputFormat format,
                                      ConversionCounts& counts) {
    return convertObservations(in, out, ConversionOptions{format}, counts);
}

/// The closing message, line by line: the success text, the two counts (each with
/// one leading blank) and the name line (possibly empty); then the count of points
/// reduced from observations when there are any; only when some coordinate line was
/// not written, "Not written:" with the count, the reasons and the first point
/// numbers; when points were renamed, "Renamed:" likewise; and when SDR records were
/// read with assumed widths, a line that says so. When no coordinate line was written
/// at all, the first line says so instead and names `output`.
std::vector<std::string> closingMessageParts(const ConversionCounts& counts,
                                             std::string_view output = {});
/// The lines of the closing message after the name line.
std::vector<std::string> closingMessageDetails(const ConversionCounts& counts);

/// "Not written: " and the count, then for each reason "k point(s) <reason>: " and
/// the first point numbers, reasons joined by "; ": "Not written:  7: 6 points
/// without Z: 1, 2, 3, 4, 5, ...; 1 point cut off: 9". The closing message, the
/// points window and the command line's check all word it so.
std::string notWrittenSummary(const ConversionCounts& counts,
                              std::string_view title = "Not written");

/// Lines counted by a reason each, as the closing message words them:
/// "Title:  7: 6 points why: 1, 2, 3, 4, 5, ...; 1 point why: 9", the groups that have lines.
using LineGroups = std::vector<std::pair<const NotWrittenLines*, std::string_view>>;
std::string listedLines(std::string_view title, const LineGroups& groups);

struct ConversionFailure {
    enum class Kind {
        SameFile,             // observation and output are one file: nothing touched
        ObservationNotFound,  // the file or a folder on its path does not exist
        Observation,          // the observation file cannot be opened or read
        Output,               // the output cannot be created or written
        NothingWritten,       // no coordinate line was written: the output is untouched
    };
    Kind kind;
    std::string path;
    std::string reason;  // the system's wording
};

struct ConversionRequest {
    std::string observation;
    std::string output;
    OutputFormat outputFormat = OutputFormat::Autocogo1;
    Axes axes = Axes::XNorthYEast;
    /// "-" names standard input (observation) or standard output (output).
    bool dashIsStandardStream = false;
};

struct ConversionOutcome {
    bool ran = false;  // the pass over the lines took place; counts are its totals
    ConversionCounts counts;
    std::optional<ConversionFailure> failure;
};

/// Converts one file. A regular output file is written beside the target and put
/// in its place only when complete and not empty, so a failure leaves an earlier
/// file as it was; devices, pipes and standard output are written directly.
ConversionOutcome convertFile(const ConversionRequest& request);

}  // namespace quorvel
