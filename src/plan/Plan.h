// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The plan of a job's points: one drawing for the points window, its PNG and SVG
// export and the command line's --plot. North is up; which of X and Y is north
// follows the axis setting.

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTransform>
#include <vector>

#include "core/points.h"

class QPainter;

namespace plan {

struct Plan {
    std::vector<QPointF> positions;  // east, north of each point that has a position
    std::vector<int> rows;           // its row in the point list
    std::vector<int> codes;          // its code's place in the legend
    QStringList labels;              // its point number
    QStringList legend;              // the codes, sorted; "(no code)" for none
    QRectF bounds;                   // east and north, never empty
    QString northAxis;               // "Y" or "X"
    QString unit;                    // of the coordinates, as the file states it; or none

    static Plan from(const quorvel::PointList& list, quorvel::Axes axes);
    /// The point nearest `device` within `radius` pixels, as a row of the point list, or -1.
    int rowNear(const QTransform& toDevice, QPointF device, double radius) const;
    /// The place of `row` among the positions, or -1 when it has none.
    int indexOfRow(int row) const;
};

enum class Symbol { Cross, Diagonal, Square, Circle, Triangle, Diamond };
inline constexpr int kSymbols = 6;
struct Marker {
    QColor colour;
    Symbol symbol;
};
/// How the legend's `index`th code is drawn: every code its own combination of colour
/// and symbol, the first twelve as crosses.
Marker codeMarker(int index);

/// The transform from east/north to `area` that shows all of the plan at one scale
/// on both axes, north up.
QTransform fitTransform(const Plan& plan, const QRectF& area);
/// The transform that shows `region` (east and north) centred in `area` at one scale,
/// north up.
QTransform regionTransform(const QRectF& region, const QRectF& area);

/// Of the points in view, how many have their number drawn.
struct Labels {
    int shown = 0;
    int inView = 0;
};

/// The points inside `area` (device coordinates) in their code's colour and symbol,
/// with their numbers where they do not cover each other (none when too many are in
/// view); `selectedRow` is ringed.
Labels drawPoints(QPainter& painter, const Plan& plan, const QTransform& toDevice,
                  const QRectF& area, int selectedRow = -1);
/// Legend, scale bar, north arrow and the note of hidden numbers along the edges of
/// `area`; `unitsPerPixel` sets the scale bar.
void drawFurniture(QPainter& painter, const Plan& plan, const QRectF& area, double unitsPerPixel,
                   Labels labels);
/// The plan drawn into `area` by `toDevice`.
void drawPlan(QPainter& painter, const Plan& plan, const QRectF& area, const QTransform& toDevice);

/// Writes the plan to `path` as SVG or PNG: the whole plan, or where `region` (east and
/// north) is given, that part of it. A failure leaves an earlier file as it was and
/// puts the system's reason into `error`.
bool writeSvg(const Plan& plan, const QString& path, QSize size, QString* error,
              const QRectF& region = {});
bool writePng(const Plan& plan, const QString& path, QSize size, QString* error,
              const QRectF& region = {});

}  // namespace plan
