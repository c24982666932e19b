// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which way X and Y point. Files that give northings and eastings (SDR raw data) and
// formats that place points by them (DXF, LandXML, the plan) go through here.

namespace quorvel {

enum class Axes {
    XEastYNorth,  // X is the easting (as CAD programs read coordinate files)
    XNorthYEast,  // X is the northing (the geodetic convention, and the instruments')
};

template <class T>
struct EastNorth {
    T east;
    T north;
};
template <class T>
struct XY {
    T x;
    T y;
};

/// Easting and northing of a point from its X and Y.
template <class T>
EastNorth<T> eastNorth(const T& x, const T& y, Axes axes) {
    return axes == Axes::XEastYNorth ? EastNorth<T>{x, y} : EastNorth<T>{y, x};
}

/// X and Y of a point from its easting and northing.
template <class T>
XY<T> xyOf(const T& east, const T& north, Axes axes) {
    return axes == Axes::XEastYNorth ? XY<T>{east, north} : XY<T>{north, east};
}

}  // namespace quorvel
