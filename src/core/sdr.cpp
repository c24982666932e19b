// SPDX-License-Identifier: GPL-3.0-or-later
#include "sdr.h"

#include <algorithm>

#include "numbers.h"
#include "text.h"

namespace quorvel {

namespace {

constexpr char kStx = 2;
constexpr std::size_t kDescriptionWidth = 16;

bool digit(char c) {
    return c >= '0' && c <= '9';
}

bool upperOrDigit(char c) {
    return digit(c) || (c >= 'A' && c <= 'Z');
}

// The record, without the STX a download may have left before it.
std::string_view recordOf(std::string_view line) {
    return line.substr(std::min(line.size(), line.find_first_not_of(kStx)));
}

// A value field: nothing when blank or not a number.
std::optional<double> number(std::string_view field) {
    double value = 0;
    if (!toDouble(field, value)) return std::nullopt;
    return value;
}

// The column (from 1) of a header flag, or a blank past the line's end.
char headerFlag(std::string_view record, std::size_t column) {
    return column <= record.size() ? record[column - 1] : ' ';
}

}  // namespace

std::string_view SdrRecords::field(std::string_view record, int ids, int numbers, bool id) const {
    const int column = 5 + ids * m_idWidth + numbers * m_numberWidth;
    return columns(record, static_cast<std::size_t>(column),
                   static_cast<std::size_t>(id ? m_idWidth : m_numberWidth));
}

std::string_view SdrRecords::description(std::string_view record, int ids, int numbers) const {
    const int column = 5 + ids * m_idWidth + numbers * m_numberWidth;
    return withoutLeadingBlanks(
        columns(record, static_cast<std::size_t>(column), kDescriptionWidth));
}

void SdrRecords::readHeader(std::string_view record) {
    // Columns 5-20 name the version; 41 the angle unit (1 degrees, 2 gons); 42 the
    // distance unit (1 metres, 2 feet); 45 the order (1 northing first, 2 easting); 46
    // the circle (1 or blank clockwise, 2 not).
    const std::string_view version = columns(record, 5, 16);
    m_decided = version.substr(0, 4) == "SDR2" || version.substr(0, 5) == "SDR33";
    m_idWidth = version.substr(0, 4) == "SDR2" ? 4 : 16;
    m_numberWidth = m_idWidth == 4 ? 10 : 16;
    m_eastingFirst = headerFlag(record, 45) == '2';
    const char distance = headerFlag(record, 42);
    const std::string_view stated = distance == '1' ? "m" : distance == '2' ? "ft" : "";
    // Two headers that disagree leave no unit to name.
    if (m_unitSeen && stated != m_distanceUnit) m_unitMixed = true;
    m_distanceUnit = stated;
    m_unitSeen = true;
    const char unit = headerFlag(record, 41);
    const char direction = headerFlag(record, 46);
    m_units.fullCircle = unit == '2' ? 400 : 360;
    m_units.clockwise = direction != '2';
    m_anglesNotRead.clear();
    if (unit == ' ')
        m_anglesNotRead = "the file states no angle unit";
    else if (unit != '1' && unit != '2')
        m_anglesNotRead = std::string("angle unit ") + unit + " is not read";
    else if (direction != '1' && direction != '2' && direction != ' ')
        m_anglesNotRead = std::string("circle direction ") + direction + " is not read";
}

SdrRecords::Station* SdrRecords::stationNamed(std::string_view id) {
    id = withoutBlanks(id);
    if (id.empty()) id = m_current;
    const auto it = m_stations.find(std::string(id));
    return it == m_stations.end() ? nullptr : &it->second;
}

void SdrRecords::readStation(std::string_view record) {
    const std::string id(withoutBlanks(field(record, 0, 0, true)));
    Station& s = m_stations[id];
    const std::optional<double> first = number(field(record, 1, 0, false));
    const std::optional<double> second = number(field(record, 1, 1, false));
    const std::optional<double> elevation = number(field(record, 1, 2, false));
    const std::optional<double> instrument = number(field(record, 1, 3, false));
    s = Station{};
    s.recorded = true;
    s.placed = first && second;
    s.north = (m_eastingFirst ? second : first).value_or(0);
    s.east = (m_eastingFirst ? first : second).value_or(0);
    if (elevation && instrument) s.heightOfInstrument = *elevation + *instrument;
    m_current = id;
}

void SdrRecords::readBacksight(std::string_view record) {
    std::string id(withoutBlanks(field(record, 0, 0, true)));
    if (id.empty()) id = m_current;
    const std::optional<double> azimuth = number(field(record, 2, 0, false));
    const std::optional<double> reading = number(field(record, 2, 1, false));
    Station& s = m_stations[id];
    s.orientation.reset();
    if (azimuth && reading) s.orientation = *azimuth - clockwiseReading(*reading, m_units);
}

void SdrRecords::readObservation(std::string_view record, std::int64_t lineNumber) {
    const bool faceTwo = record[3] == '2';
    const std::string_view station = withoutBlanks(field(record, 0, 0, true));
    const std::string_view target = withoutLeadingBlanks(field(record, 1, 0, true));
    // A face-2 sighting of the target the face-1 sighting just before it aimed at: one point.
    const bool pair = faceTwo && m_hasPending && !m_pending.faceTwo &&
                      m_pending.station == station &&
                      withoutBlanks(m_pending.target) == withoutBlanks(target);
    if (!pair) release();

    const std::string_view slope = field(record, 2, 0, false);
    const std::optional<double> zenith = number(field(record, 2, 1, false));
    const std::optional<double> reading = number(field(record, 2, 2, false));
    Sighting s;
    s.slope = number(slope);
    s.zenith = zenith.value_or(0);
    s.circle = clockwiseReading(reading.value_or(0), m_units);
    const bool numbers = zenith && reading && (blank(slope) || s.slope);
    if (faceTwo) s = toFaceOne(s, m_units);

    if (pair) {
        m_pending.numbers = m_pending.numbers && numbers;
        m_pending.sighting = meanOfFaces(m_pending.sighting, s, m_units);
        if (blank(m_pending.code)) m_pending.code = description(record, 2, 3);
        m_pending.faceTwo = true;
        release();
        return;
    }
    m_pending.lineNumber = lineNumber;
    m_pending.station = station;
    m_pending.target = target;
    m_pending.code = description(record, 2, 3);
    m_pending.faceTwo = faceTwo;
    m_pending.numbers = numbers;
    m_pending.sighting = s;
    m_hasPending = true;
    // Only a face-1 sighting waits for its partner.
    if (faceTwo) release();
}

void SdrRecords::release() {
    if (!m_hasPending) return;
    m_hasPending = false;
    reduce(m_pending);
}

void SdrRecords::reduce(const Pending& p) {
    ReducedPoint& out = m_ready[m_readyCount++];
    out.lineNumber = p.lineNumber;
    out.coordinate.Marker = 'X';
    out.coordinate.Point = p.target;
    out.coordinate.Code = p.code;
    out.coordinate.X.clear();
    out.coordinate.Y.clear();
    out.coordinate.Z.clear();
    out.station = p.station.empty() ? m_current : p.station;
    out.fault.reset();
    const Station* station = stationNamed(p.station);
    if (!m_anglesNotRead.empty())
        out.fault = ObservationFault::AnglesNotRead;
    else if (!p.numbers)
        out.fault = ObservationFault::NotANumber;
    else if (!p.sighting.slope)
        out.fault = ObservationFault::AnglesOnly;
    else if (station == nullptr || !station->recorded)
        out.fault = ObservationFault::NoStation;
    else if (!station->placed || !station->orientation || !m_scale)
        out.fault = ObservationFault::NotANumber;
    if (out.fault) return;

    Setup setup;
    setup.east = station->east;
    setup.north = station->north;
    if (station->heightOfInstrument && m_targetHeight)
        setup.heightOfAxis = *station->heightOfInstrument - *m_targetHeight;
    setup.orientation = *station->orientation;
    setup.scale = *m_scale;
    const Position at = quorvel::reduce(setup, p.sighting, m_units);
    const XY<double> xy = xyOf(at.east, at.north, m_axes);
    std::string& x = out.coordinate.X;
    std::string& y = out.coordinate.Y;
    if (!appendRounded(xy.x, x) || !appendRounded(xy.y, y) ||
        (at.elevation && !appendRounded(*at.elevation, out.coordinate.Z))) {
        x.clear();
        y.clear();
        out.coordinate.Z.clear();
        out.fault = ObservationFault::NotANumber;
    }
}

SdrRecords::Kind SdrRecords::next(std::string_view line, std::int64_t lineNumber, bool unended) {
    const std::string_view record = recordOf(line);
    const std::string_view tag = record.substr(0, 4);
    if (!m_sdr) {
        // Only a header or a job record starts the reading of records.
        if (tag != "00NM" && tag != "10NM") return Kind::NotSdr;
        m_sdr = true;
    }
    m_readyCount = m_taken = 0;
    const bool shaped = tag.size() == 4 && digit(tag[0]) && digit(tag[1]) && upperOrDigit(tag[2]) &&
                        upperOrDigit(tag[3]);
    if (!shaped) {
        release();
        return Kind::NotSdr;
    }
    if (tag == "09F1" || tag == "09F2") {
        if (unended && !complete(record)) {
            // A last line that ends before its circle reading: no values are taken.
            release();
            ReducedPoint& out = m_ready[m_readyCount++];
            out = ReducedPoint{};
            out.lineNumber = lineNumber;
            out.coordinate.Point = withoutLeadingBlanks(field(record, 1, 0, true));
            out.station = withoutBlanks(field(record, 0, 0, true));
            out.fault = ObservationFault::CutOff;
            return Kind::Observation;
        }
        readObservation(record, lineNumber);
        return Kind::Observation;
    }
    release();
    const std::string_view type = tag.substr(0, 2);
    if (tag == "00NM") {
        readHeader(record);
        return Kind::Passed;
    }
    if (type == "03") m_targetHeight = number(field(record, 0, 0, false));
    if (type == "06") m_scale = number(field(record, 0, 0, false));
    if (type == "07") readBacksight(record);
    if (type != "08" && type != "02") return Kind::Passed;
    if (type == "02") readStation(record);
    if (!m_decided) m_assumed = true;
    return Kind::Coordinate;
}

bool SdrRecords::take(ReducedPoint& out) {
    if (m_taken == m_readyCount) return false;
    out = m_ready[m_taken++];
    return true;
}

void SdrRecords::finish() {
    m_readyCount = m_taken = 0;
    release();
}

bool SdrRecords::complete(std::string_view line) const {
    line = recordOf(line);
    const int fields = line.substr(0, 2) == "02" ? 4 : 3;
    const int ids = line.substr(0, 2) == "09" ? 2 : 1;
    return line.size() >= static_cast<std::size_t>(4 + ids * m_idWidth + fields * m_numberWidth);
}

bool SdrRecords::read(std::string_view line, CoordinateLine& out) const {
    line = recordOf(line);
    std::string_view fields[3];  // in the file's order, then the elevation
    for (int i = 0; i < 3; ++i) fields[i] = field(line, 1, i, false);
    const std::string_view northing = fields[m_eastingFirst ? 1 : 0];
    const std::string_view easting = fields[m_eastingFirst ? 0 : 1];
    const XY<std::string_view> xy = xyOf(easting, northing, m_axes);
    out.Point.assign(withoutLeadingBlanks(field(line, 0, 0, true)));
    out.Marker = 'X';
    out.X.clear();
    out.Y.clear();
    if (!appendStrictNumber(xy.x, out.X) || !appendStrictNumber(xy.y, out.Y)) return false;
    out.Z.clear();
    if (!appendStrictNumber(fields[2], out.Z)) out.Z.assign(fields[2]);
    // A station record has the instrument height between elevation and code.
    const int values = line.substr(0, 2) == "02" ? 4 : 3;
    out.Code.assign(description(line, 1, values));
    return true;
}

}  // namespace quorvel
