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
    std::vector<int> colours;        // its code's place in the legend
    QStringList labels;              // its point number
    QStringList legend;              // the codes, sorted; "(no code)" for none
    QRectF bounds;                   // east and north, never empty
    QString northAxis;               // "Y" or "X"

    static Plan from(const quorvel::PointList& list, quorvel::Axes axes);
    /// The point nearest `device` within `radius` pixels, as a row of the point list, or -1.
    int rowNear(const QTransform& toDevice, QPointF device, double radius) const;
    /// The place of `row` among the positions, or -1 when it has none.
    int indexOfRow(int row) const;
};

/// The colour of the legend's `index`th code.
QColor codeColour(int index);

/// The transform from east/north to `area` that shows all of the plan at one scale
/// on both axes, north up.
QTransform fitTransform(const Plan& plan, const QRectF& area);

/// The points inside `area` (device coordinates) as crosses in their code's colour,
/// with their numbers when few enough are in view; `selectedRow` is ringed.
void drawPoints(QPainter& painter, const Plan& plan, const QTransform& toDevice, const QRectF& area,
                int selectedRow = -1);
/// Legend, scale bar and north arrow along the edges of `area`; `unitsPerPixel` sets
/// the scale bar.
void drawFurniture(QPainter& painter, const Plan& plan, const QRectF& area, double unitsPerPixel);
/// The whole plan fitted into `area`.
void drawPlan(QPainter& painter, const Plan& plan, const QRectF& area);

/// Writes the whole plan to `path` as SVG or PNG; a failure leaves an earlier file
/// as it was and puts the system's reason into `error`.
bool writeSvg(const Plan& plan, const QString& path, QSize size, QString* error);
bool writePng(const Plan& plan, const QString& path, QSize size, QString* error);

}  // namespace plan
