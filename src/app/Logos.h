#pragma once
#include <QPixmap>

/// The program's own pictures, drawn rather than loaded so that they need no file.
namespace logos {
enum class Kind { Station, Grid, Marker };
QPixmap draw(Kind kind, int size);
}  // namespace logos
