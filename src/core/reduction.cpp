// SPDX-License-Identifier: GPL-3.0-or-later
#include "reduction.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>

#include "numbers.h"

namespace quorvel {

namespace {

// `a` in [0, full).
double normalized(double a, double full) {
    a = std::fmod(a, full);
    return a < 0 ? a + full : a;
}

// `a` in [-half, half): the shorter way round.
double signedDifference(double a, const AngleUnits& units) {
    return normalized(a + units.half(), units.fullCircle) - units.half();
}

double radians(double a, const AngleUnits& units) {
    return a * (2 * std::numbers::pi / units.fullCircle);
}

}  // namespace

double clockwiseReading(double reading, const AngleUnits& units) {
    return units.clockwise ? reading : units.fullCircle - reading;
}

Sighting toFaceOne(const Sighting& faceTwo, const AngleUnits& units) {
    Sighting s = faceTwo;
    s.circle = normalized(faceTwo.circle - units.half(), units.fullCircle);
    s.zenith = units.fullCircle - faceTwo.zenith;
    return s;
}

Sighting meanOfFaces(const Sighting& a, const Sighting& b, const AngleUnits& units) {
    Sighting mean;
    mean.circle =
        normalized(a.circle + signedDifference(b.circle - a.circle, units) / 2, units.fullCircle);
    mean.zenith = (a.zenith + b.zenith) / 2;
    if (a.slope && b.slope)
        mean.slope = (*a.slope + *b.slope) / 2;
    else
        mean.slope = a.slope ? a.slope : b.slope;
    return mean;
}

Position reduce(const Setup& setup, const Sighting& sighting, const AngleUnits& units) {
    const double slope = sighting.slope.value_or(0);
    const double zenith = radians(sighting.zenith, units);
    const double azimuth =
        radians(normalized(sighting.circle + setup.orientation, units.fullCircle), units);
    const double horizontal = slope * std::sin(zenith) * setup.scale;
    Position p;
    p.east = setup.east + horizontal * std::sin(azimuth);
    p.north = setup.north + horizontal * std::cos(azimuth);
    if (setup.heightOfAxis) p.elevation = *setup.heightOfAxis + slope * std::cos(zenith);
    return p;
}

// Kept out of numbers.cpp: its readers are the hot path of every conversion, and
// their code is best left as the compiler lays it out alone.
bool appendRounded(double value, std::string& out) {
    if (!std::isfinite(value)) return false;
    // Most values lie far from a half-thousandth: thousandths counted in binary round
    // them as their decimal text would. Near one, the text decides.
    const double thousandths = std::abs(value) * 1000;
    const double whole = std::floor(thousandths);
    if (thousandths < 1e12 && std::abs(thousandths - whole - 0.5) > 1e-3) {
        const auto n = static_cast<std::uint64_t>(whole) + (thousandths - whole > 0.5 ? 1 : 0);
        char buf[24];
        char* end = std::to_chars(buf, buf + sizeof buf, n).ptr;
        if (n < 1000) {  // "0.007": at least one digit before the point
            const int missing = 4 - static_cast<int>(end - buf);
            std::memmove(buf + missing, buf, static_cast<std::size_t>(end - buf));
            std::memset(buf, '0', static_cast<std::size_t>(missing));
            end += missing;
        }
        if (value < 0 && n != 0) out += '-';
        out.append(buf, end - 3);
        out += '.';
        out.append(end - 3, 3);
        return true;
    }
    char buf[32];  // the shortest text of any double fits
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return r.ec == std::errc() && appendStrictNumber(std::string_view(buf, r.ptr - buf), out);
}

}  // namespace quorvel
