// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SDR raw data files, as the instruments download them: one record per line, named
// by its first four characters (two digits for the record type, two characters for
// how it was derived). The header record 00NM states the field widths (SDR2x: 4-
// character point ids and 10-character numbers; SDR33: 16 and 16) and whether
// northings or eastings come first. Coordinates are in the coordinate records (type
// 08) and in the station records (type 02); observations need computing and are
// passed over.

#include <string_view>

#include "observation.h"

namespace quorvel {

/// Which way X and Y point when a file gives northings and eastings.
enum class Axes {
    XEastYNorth,  // X is the easting (as CAD programs read coordinate files)
    XNorthYEast,  // X is the northing (the geodetic convention, as the instruments write X and
                  // Y): the default
};

/// The records of one SDR file, read line by line in order.
class SdrRecords {
public:
    enum class Kind {
        NotSdr,      // no SDR header or job record so far: the other tables apply
        Passed,      // part of an SDR file, but no coordinate
        Coordinate,  // a coordinate or station record
    };
    /// Looks at the next line of the file. A header (00NM) or job record (10NM),
    /// after any STX, starts SDR reading; a header also gives the widths and order.
    Kind next(std::string_view line);

    /// Cuts the coordinate out of a line that next() called a Coordinate: point id,
    /// northing, easting, elevation and code. Values are strict numbers; an
    /// elevation that is not one passes through as its text. False when the
    /// northing or the easting is not a number.
    bool read(std::string_view line, Axes axes, CoordinateLine& out) const;

    /// A Coordinate line reaches the end of its elevation field (a station record's:
    /// of its instrument height) at the file's widths, as a line cut off mid-way does not.
    bool complete(std::string_view line) const;

    /// No header stated the widths of the records read: 16 and 16 were taken.
    bool widthsAssumed() const { return m_assumed; }

private:
    bool m_sdr = false;
    bool m_decided = false;
    bool m_assumed = false;
    int m_idWidth = 16;
    int m_numberWidth = 16;
    bool m_eastingFirst = false;
};

}  // namespace quorvel
