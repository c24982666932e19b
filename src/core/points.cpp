// SPDX-License-Identifier: GPL-3.0-or-later
#include "points.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "numbers.h"
#include "observation.h"
#include "text.h"

namespace quorvel {

namespace {

// Point numbers a warning names, as the closing message names them.
constexpr std::size_t kNamedPoints = 5;

class Collector final : public CoordinateObserver {
public:
    Collector(std::vector<PointRow>& rows, Axes axes) : m_rows(rows), m_axes(axes) {}
    void seen(std::int64_t lineNumber, const CoordinateLine& c,
              std::optional<NotWrittenReason> notWritten, std::string_view station) override {
        PointRow& row = m_rows.emplace_back();
        row.line = lineNumber;
        row.station = station;
        row.point = c.Point;
        row.code = c.Code;
        row.x = c.X;
        row.y = c.Y;
        row.z = c.Z;
        row.notWritten = notWritten;
        double x = 0;
        double y = 0;
        row.placed = toDouble(c.X, x) && toDouble(c.Y, y);
        if (!row.placed) return;
        const EastNorth<double> at = eastNorth(x, y, m_axes);
        row.east = at.east;
        row.north = at.north;
    }

private:
    std::vector<PointRow>& m_rows;
    Axes m_axes;
};

class NoWriter final : public ByteWriter {
public:
    bool write(const char*, std::size_t) override { return true; }
};

std::string nameOf(const PointRow& row) {
    return pointName(row.point, row.line);
}

// "text: count (first, second, ...)"
std::string listed(const std::string& text, std::int64_t count,
                   const std::vector<std::string>& names) {
    std::string s = text + ": " + std::to_string(count) + " (";
    for (std::size_t i = 0; i < names.size() && i < kNamedPoints; ++i)
        s += (i == 0 ? "" : ", ") + names[i];
    return s + (names.size() > kNamedPoints ? ", ...)" : ")");
}

void warn(PointList& list, PointWarning kind, const std::string& text) {
    std::int64_t count = 0;
    std::vector<std::string> names;
    for (PointRow& row : list.rows) {
        if (!(row.warnings & static_cast<std::uint8_t>(kind))) continue;
        ++count;
        if (names.size() <= kNamedPoints) names.push_back(nameOf(row));
    }
    if (count > 0) list.warnings.push_back({kind, listed(text, count, names)});
}

bool atOrigin(const PointRow& row) {
    return row.placed && row.east == 0 && row.north == 0;
}

// A point at 0/0 is a placeholder or, in a local grid, the station, whose number the
// instruments give apart from the points' (point 3 measured from station 3): neither
// gives a position to measure the others by.
bool measured(const PointRow& row) {
    return row.placed && !atOrigin(row);
}

void markDuplicates(PointList& list) {
    // Point number -> the rows of it that have a position, other than 0/0.
    std::map<std::string, std::vector<PointRow*>> byNumber;
    for (PointRow& row : list.rows) {
        if (!measured(row) || blank(row.point)) continue;
        byNumber[nameOf(row)].push_back(&row);
    }
    std::int64_t numbers = 0;
    std::vector<std::string> names;
    for (auto& [name, rows] : byNumber) {
        const PointRow* first = rows.front();
        const bool moved = std::any_of(rows.begin() + 1, rows.end(), [&](const PointRow* r) {
            return std::hypot(r->east - first->east, r->north - first->north) > kSamePosition;
        });
        if (!moved) continue;
        ++numbers;
        if (names.size() <= kNamedPoints) names.push_back(name);
        for (PointRow* r : rows) r->warnings |= static_cast<std::uint8_t>(PointWarning::Duplicate);
    }
    if (numbers > 0)
        list.warnings.push_back(
            {PointWarning::Duplicate,
             listed("Point numbers used at two or more positions", numbers, names)});
}

double median(std::vector<double>& values) {
    const auto mid = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), mid, values.end());
    if (values.size() % 2 == 1) return *mid;
    return (*mid + *std::max_element(values.begin(), mid)) / 2;
}

// Where the measured points lie, and how far from there a point is far: the median
// position, and kFarFactor times the median distance from it.
struct Spread {
    double east = 0;
    double north = 0;
    double limit = 0;
    bool far(const PointRow& row) const {
        return std::hypot(row.east - east, row.north - north) > limit;
    }
};
std::optional<Spread> spreadOf(const std::vector<PointRow>& rows) {
    std::vector<double> east;
    std::vector<double> north;
    for (const PointRow& row : rows) {
        if (!measured(row)) continue;
        east.push_back(row.east);
        north.push_back(row.north);
    }
    if (east.size() < 3) return std::nullopt;
    Spread spread{median(east), median(north)};
    std::vector<double> distances;
    for (const PointRow& row : rows)
        if (measured(row))
            distances.push_back(std::hypot(row.east - spread.east, row.north - spread.north));
    // Half the points or more at one spot give no scale to judge the others by.
    spread.limit = kFarFactor * median(distances);
    if (!(spread.limit > 0)) return std::nullopt;
    return spread;
}

// Far points; and points at 0/0 far from the rest, which are placeholders (in a local
// grid 0/0 is the station itself, among its points).
void markFar(PointList& list) {
    const auto spread = spreadOf(list.rows);
    if (!spread) return;
    for (PointRow& row : list.rows)
        if (row.placed && spread->far(row))
            row.warnings |= static_cast<std::uint8_t>(atOrigin(row) ? PointWarning::AtOrigin
                                                                    : PointWarning::Far);
}

}  // namespace

PassResult readPoints(ByteReader& in, const ConversionOptions& options, PointList& list) {
    list = PointList{};
    Collector collector(list.rows, options.axes);
    ConversionOptions withObserver = options;
    withObserver.observer = &collector;
    NoWriter none;
    const PassResult result = convertObservations(in, none, withObserver, list.counts);
    if (result == PassResult::Ok) checkPoints(list);
    return result;
}

void checkPoints(PointList& list) {
    list.warnings.clear();
    for (PointRow& row : list.rows)
        row.warnings = row.notWritten ? static_cast<std::uint8_t>(PointWarning::NotWritten) : 0;
    markDuplicates(list);
    markFar(list);
    warn(list, PointWarning::AtOrigin, "Points at 0/0/0 or with X and Y both 0");
    warn(list, PointWarning::Far, "Points far from the rest of the job");
    std::int64_t notWritten = 0;
    for (const PointRow& row : list.rows) notWritten += row.notWritten ? 1 : 0;
    if (notWritten > 0)
        list.warnings.push_back({PointWarning::NotWritten, notWrittenSummary(list.counts)});
    if (list.rows.empty())
        list.warnings.push_back({PointWarning::Nothing, "The file holds no coordinate lines"});
}

double scaleBarLength(double most) {
    if (!(most > 0) || !std::isfinite(most)) return 0;
    const double power = std::pow(10.0, std::floor(std::log10(most)));
    for (double step : {5.0, 2.0, 1.0})
        if (step * power <= most) return step * power;
    return power;
}

}  // namespace quorvel
