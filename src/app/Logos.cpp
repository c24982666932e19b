// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Logos.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace logos {

namespace {

const QColor kBlue(0x1f, 0x4e, 0x9a);
const QColor kOrange(0xe0, 0x7a, 0x10);
const QColor kGreen(0x2e, 0x7d, 0x32);

// A total station on its tripod.
void station(QPainter& p, qreal s) {
    p.setPen(QPen(kBlue, s * 0.05, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.5, s * 0.55), QPointF(s * 0.2, s * 0.95));
    p.drawLine(QPointF(s * 0.5, s * 0.55), QPointF(s * 0.8, s * 0.95));
    p.drawLine(QPointF(s * 0.5, s * 0.55), QPointF(s * 0.5, s * 0.95));
    p.setBrush(kOrange);
    p.setPen(QPen(kBlue.darker(), s * 0.03));
    p.drawRoundedRect(QRectF(s * 0.32, s * 0.2, s * 0.36, s * 0.32), s * 0.05, s * 0.05);
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(s * 0.5, s * 0.33), s * 0.09, s * 0.09);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(s * 0.5, s * 0.33), s * 0.04, s * 0.04);
}

// A coordinate grid with surveyed points.
void grid(QPainter& p, qreal s) {
    p.setPen(QPen(kBlue.lighter(160), s * 0.015));
    for (int i = 1; i < 5; ++i) {
        p.drawLine(QPointF(s * 0.1, s * 0.2 * i), QPointF(s * 0.9, s * 0.2 * i));
        p.drawLine(QPointF(s * 0.2 * i, s * 0.1), QPointF(s * 0.2 * i, s * 0.9));
    }
    QPainterPath path;
    path.moveTo(s * 0.2, s * 0.75);
    path.lineTo(s * 0.42, s * 0.35);
    path.lineTo(s * 0.7, s * 0.55);
    path.lineTo(s * 0.82, s * 0.22);
    p.setPen(QPen(kGreen, s * 0.04, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(QPen(Qt::white, s * 0.02));
    p.setBrush(kOrange);
    for (const QPointF& pt :
         {QPointF(0.2, 0.75), QPointF(0.42, 0.35), QPointF(0.7, 0.55), QPointF(0.82, 0.22)})
        p.drawEllipse(pt * s, s * 0.06, s * 0.06);
}

// A survey marker: a peg with a cross-hair.
void marker(QPainter& p, qreal s) {
    p.setPen(QPen(kBlue, s * 0.04));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(s * 0.5, s * 0.45), s * 0.3, s * 0.3);
    p.drawLine(QPointF(s * 0.5, s * 0.08), QPointF(s * 0.5, s * 0.82));
    p.drawLine(QPointF(s * 0.13, s * 0.45), QPointF(s * 0.87, s * 0.45));
    QPainterPath peg;
    peg.moveTo(s * 0.4, s * 0.62);
    peg.lineTo(s * 0.6, s * 0.62);
    peg.lineTo(s * 0.5, s * 0.95);
    peg.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kOrange);
    p.drawPath(peg);
    p.setBrush(kGreen);
    p.drawEllipse(QPointF(s * 0.5, s * 0.45), s * 0.07, s * 0.07);
}

}  // namespace

QPixmap draw(Kind kind, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    switch (kind) {
        case Kind::Station:
            station(p, s);
            break;
        case Kind::Grid:
            grid(p, s);
            break;
        case Kind::Marker:
            marker(p, s);
            break;
    }
    return pixmap;
}

QLabel* picture(QWidget* parent, const char* name, Kind kind, int size) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setPixmap(draw(kind, size));
    label->setFixedSize(size, size);
    label->setAccessibleName(QStringLiteral("Quorvel logo"));
    return label;
}

}  // namespace logos
