// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QPixmap>

class QLabel;
class QWidget;

/// The program's own pictures, drawn rather than loaded so that they need no file.
namespace logos {
enum class Kind { Station, Grid, Marker };
QPixmap draw(Kind kind, int size);
/// A picture control showing one of them, named `name` for tests and screen readers.
QLabel* picture(QWidget* parent, const char* name, Kind kind, int size);
}  // namespace logos
