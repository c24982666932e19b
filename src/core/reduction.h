// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Observations reduced to coordinates: a slope distance, a zenith angle and a
// horizontal circle reading from a station of known position give the target's
// position. Plane geometry in the file's own units: no curvature or refraction.

#include <optional>
#include <string>

namespace quorvel {

/// How the file measures angles: its full circle (360 degrees, 400 gons) and
/// whether the horizontal circle counts clockwise.
struct AngleUnits {
    double fullCircle = 360;
    bool clockwise = true;
    double half() const { return fullCircle / 2; }
};

/// One sighting as the instrument reads it, in the file's angle unit.
struct Sighting {
    std::optional<double> slope;  // slope distance; none: angles only
    double zenith = 0;
    double circle = 0;  // horizontal circle reading
};

/// A circle reading as a clockwise one (counter-clockwise circles count the other way).
double clockwiseReading(double reading, const AngleUnits& units);

/// A face-2 sighting turned to face 1: circle minus half a circle, zenith from the
/// full circle.
Sighting toFaceOne(const Sighting& faceTwo, const AngleUnits& units);

/// The mean of two face-1 sightings of one target: circle readings averaged across 0
/// (not through half a circle), zeniths and the distances given averaged. Collimation
/// and index errors cancel in it.
Sighting meanOfFaces(const Sighting& a, const Sighting& b, const AngleUnits& units);

struct Setup {
    double east = 0;
    double north = 0;
    /// Station elevation plus instrument height minus target height; none when one is unknown.
    std::optional<double> heightOfAxis;
    double orientation = 0;  // azimuth minus circle reading, in the file's unit
    double scale = 1;
};

struct Position {
    double east = 0;
    double north = 0;
    std::optional<double> elevation;
};

/// The target of a sighting with a slope distance, from `setup`.
Position reduce(const Setup& setup, const Sighting& sighting, const AngleUnits& units);

/// A computed value written as a read one is: its shortest decimal text that reads
/// back as `value`, rounded to three decimals half away from zero. False, with
/// nothing appended, for a value that is not finite or too large to write.
bool appendRounded(double value, std::string& out);

}  // namespace quorvel
