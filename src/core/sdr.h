// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SDR raw data files, as the instruments download them: one record per line, named
// by its first four characters (two digits for the record type, two characters for
// how it was derived). The header record 00NM states the field widths (SDR2x: 4-
// character point ids and 10-character numbers; SDR33: 16 and 16), the angle unit,
// whether northings or eastings come first and which way the circle counts.
// Coordinates are in the coordinate records (type 08) and the station records (02);
// observations (09F1, 09F2) are reduced to coordinates from their station (02), its
// backsight (07), the target height (03) and the scale factor (06).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "axes.h"
#include "observation.h"
#include "reduction.h"

namespace quorvel {

/// Why an observation gave no coordinate.
enum class ObservationFault {
    AnglesOnly,     // no slope distance
    NoStation,      // its station has no 02 record before it
    NotANumber,     // a value it needs (its own, its station's, backsight's, scale's) is no number
    AnglesNotRead,  // the file's angle unit or circle direction is not one this reads
    CutOff,         // the file's last line ends before its circle reading does
};

/// A point reduced from an observation (or a face pair of them), or why it was not.
struct ReducedPoint {
    std::int64_t lineNumber = 0;  // the observation's line (the first of a pair)
    CoordinateLine coordinate;    // point id and code always; X, Y, Z when reduced
    std::string station;          // the station it was observed from
    std::optional<ObservationFault> fault;
};

/// The records of one SDR file, read line by line in order.
class SdrRecords {
public:
    explicit SdrRecords(Axes axes = Axes::XNorthYEast) : m_axes(axes) {}

    enum class Kind {
        NotSdr,       // not an SDR record: the fixed-column tables apply
        Passed,       // an SDR record without a coordinate of its own
        Coordinate,   // a coordinate or station record
        Observation,  // an observation: its point comes through take()
    };
    /// Looks at line `lineNumber` of the file. Once a header (00NM) or job record
    /// (10NM) has been seen, after any STX, each line that starts like a record (two
    /// digits, two capitals or digits) is one.
    /// `unended`: the line is the file's last and has no line end (it may be cut off).
    Kind next(std::string_view line, std::int64_t lineNumber = 0, bool unended = false);

    /// Cuts the coordinate out of a line that next() called a Coordinate: point id,
    /// northing, easting, elevation and code. Values are strict numbers; an
    /// elevation that is not one passes through as its text. False when the
    /// northing or the easting is not a number.
    bool read(std::string_view line, CoordinateLine& out) const;

    /// The next point reduced from the observations, in the order of the file. An
    /// observation waits for the line after it (which may be its face-2 sighting)
    /// before it is given out; finish() gives out the last.
    bool take(ReducedPoint& out);
    /// Whether take() has a point to give.
    bool ready() const { return m_taken < m_readyCount; }
    /// The file has ended.
    void finish();

    /// A record reaches the end of its last value field at the file's widths (the
    /// elevation; a station's instrument height; an observation's circle reading), as
    /// a line cut off mid-way does not.
    bool complete(std::string_view line) const;

    /// No header stated the widths of the records read: 16 and 16 were taken.
    bool widthsAssumed() const { return m_assumed; }
    /// The distance unit the headers state ("m" or "ft"); empty when none did, or two
    /// stated different ones.
    std::string_view distanceUnit() const { return m_unitMixed ? "" : m_distanceUnit; }
    /// Why the observations of this file are not reduced ("angle unit 3 is not read").
    const std::string& anglesNotRead() const { return m_anglesNotRead; }

private:
    struct Station {
        bool recorded = false;  // a 02 record of it has been read
        bool placed = false;    // a 02 record with a northing and an easting that are numbers
        double east = 0;
        double north = 0;
        std::optional<double> heightOfInstrument;  // elevation plus instrument height
        // Azimuth minus circle reading; none when the backsight record's values are not numbers.
        std::optional<double> orientation = 0;
    };
    struct Pending {
        std::int64_t lineNumber = 0;
        std::string station;
        std::string target;
        std::string code;
        bool faceTwo = false;
        bool numbers = false;  // every value given is a number, both angles given
        Sighting sighting;     // turned clockwise and to face 1
    };

    void readHeader(std::string_view record);
    void readStation(std::string_view record);
    void readBacksight(std::string_view record);
    void readObservation(std::string_view record, std::int64_t lineNumber);
    void release();
    void reduce(const Pending& p);
    Station* stationNamed(std::string_view id);
    /// The field after `ids` point ids and `numbers` values: an id or a value.
    std::string_view field(std::string_view record, int ids, int numbers, bool id) const;
    /// The code after them, leading blanks removed.
    std::string_view description(std::string_view record, int ids, int numbers) const;

    Axes m_axes;
    bool m_sdr = false;
    bool m_decided = false;
    bool m_assumed = false;
    int m_idWidth = 16;
    int m_numberWidth = 16;
    bool m_eastingFirst = false;
    AngleUnits m_units;
    std::string_view m_distanceUnit;
    bool m_unitSeen = false;
    bool m_unitMixed = false;
    std::string m_anglesNotRead = "the file states no angle unit";
    std::optional<double> m_targetHeight = 0;
    std::optional<double> m_scale = 1;
    std::unordered_map<std::string, Station> m_stations;
    std::string m_current;  // the latest station record's id
    Pending m_pending;
    bool m_hasPending = false;
    // An observation released and one reduced on its own: at most two wait at once.
    std::array<ReducedPoint, 2> m_ready;
    std::size_t m_readyCount = 0;
    std::size_t m_taken = 0;
};

}  // namespace quorvel
