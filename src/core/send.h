// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Points sent to the instrument for stake-out. They come from any file Convert reads,
// read as Convert reads it, or from CSV with a header that names its columns; they go
// as the SDR33 text instruments take: a header, a job record and one coordinate record
// (08KI) a point, framed by STX and ETX, each line ended by CR LF.

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "axes.h"
#include "conversion.h"
#include "io.h"

namespace quorvel {

/// A point as its coordinate record holds it: values with three decimals.
struct SendPoint {
    std::string id;
    std::string x;
    std::string y;
    std::string z;
    std::string code;
};

/// The points of a file, and what of it is not sent or not sent as it stands.
struct SendList {
    std::vector<SendPoint> points;
    /// The reading's counts; its lines not written are not sent, with their reasons.
    ConversionCounts counts;
    std::vector<std::string> longIds;   // not sent: the id is longer than 16 characters
    std::vector<std::string> noIds;     // not sent: no point id (named by their line)
    std::vector<std::string> cutCodes;  // sent with the code cut to 16 characters
    /// A point with a value longer than 16 characters: nothing can be sent.
    std::string tooLong;
    bool csv = false;  // read as CSV with a header
};

/// Characters of an id, a value and a code in a coordinate record.
inline constexpr std::size_t kSendWidth = 16;

/// Reads the points of `in`: CSV when its first line names a point, an X (or E,
/// Easting) and a Y (or N, Northing) column among columns split by commas or
/// semicolons, and optionally Z and code columns; else as Convert reads it. X and Y of
/// an easting and a northing follow `axes`. False when the input could not be read.
bool readSendPoints(ByteReader& in, Axes axes, SendList& list);

/// "Not sent: ..." for the points left out, with their reasons, and the codes cut;
/// empty when every point goes as it stands.
std::vector<std::string> sendNotes(const SendList& list);

/// The lines to send, without their ends: the header (version SDR33, `when`, the
/// coordinate order of `axes`), the job record of `job` and a coordinate record a point.
std::vector<std::string> sdrRecords(const SendList& list, std::string_view job, Axes axes,
                                    const std::tm& when);

inline constexpr char kStx = 2;
inline constexpr char kEtx = 3;
/// The bytes sent: STX, each line followed by CR LF, ETX.
std::string framedText(const std::vector<std::string>& lines);

/// A job name for a file: its base name, cut to 16 characters.
std::string jobNameFor(std::string_view path);

}  // namespace quorvel
