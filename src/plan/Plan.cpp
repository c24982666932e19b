// SPDX-License-Identifier: GPL-3.0-or-later
#include "plan/Plan.h"

#include <QBuffer>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSet>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <map>

namespace plan {

namespace {

// Point numbers are drawn only when no more than this many points are in view:
// beyond it they hide each other and slow every repaint.
constexpr int kMostLabels = 1500;
constexpr double kCross = 3.5;  // half the cross, in pixels
constexpr double kMargin = 24;

QString trimmedRight(const std::string& s) {
    QString text = QString::fromUtf8(s);
    while (text.endsWith(QLatin1Char(' '))) text.chop(1);
    return text;
}

void framedBox(QPainter& painter, const QRectF& box) {
    painter.setPen(QPen(QColor(0x80, 0x80, 0x80), 1));
    painter.setBrush(QColor(255, 255, 255, 225));
    painter.drawRect(box);
}

// The lines of `symbol` around `c`: every symbol is drawn as lines, so that each
// code's points go to the painter in one call.
void appendSymbol(std::vector<QLineF>& lines, QPointF c, Symbol symbol) {
    const double r = kCross;
    const auto polygon = [&](std::initializer_list<QPointF> corners) {
        const QPointF* previous = std::prev(corners.end());
        for (const QPointF& p : corners) {
            lines.emplace_back(c + *previous, c + p);
            previous = &p;
        }
    };
    switch (symbol) {
        case Symbol::Cross:
            lines.emplace_back(c.x() - r, c.y(), c.x() + r, c.y());
            lines.emplace_back(c.x(), c.y() - r, c.x(), c.y() + r);
            break;
        case Symbol::Diagonal:
            lines.emplace_back(c + QPointF(-0.8 * r, -0.8 * r), c + QPointF(0.8 * r, 0.8 * r));
            lines.emplace_back(c + QPointF(-0.8 * r, 0.8 * r), c + QPointF(0.8 * r, -0.8 * r));
            break;
        case Symbol::Square:
            polygon({{-0.8 * r, -0.8 * r},
                     {0.8 * r, -0.8 * r},
                     {0.8 * r, 0.8 * r},
                     {-0.8 * r, 0.8 * r}});
            break;
        case Symbol::Circle: {
            const double d = r * 0.7071;
            polygon({{0, -r}, {d, -d}, {r, 0}, {d, d}, {0, r}, {-d, d}, {-r, 0}, {-d, -d}});
            break;
        }
        case Symbol::Triangle:
            polygon({{0, -r}, {0.866 * r, 0.5 * r}, {-0.866 * r, 0.5 * r}});
            break;
        case Symbol::Diamond:
            polygon({{0, -r}, {r, 0}, {0, r}, {-r, 0}});
            break;
    }
}

// The codes in columns of as many rows as fit above the scale bar: all of them listed.
void drawLegend(QPainter& painter, const Plan& plan, const QRectF& area) {
    const QFontMetricsF fm(painter.font());
    const int count = static_cast<int>(plan.legend.size());
    if (count == 0) return;
    const double rowHeight = fm.height() + 2;
    const double room = area.height() - 2 * fm.height() - 64;  // the scale bar's below
    const int perColumn = std::max(1, std::min(count, static_cast<int>(room / rowHeight)));
    std::vector<double> widths;
    for (int i = 0; i < count; ++i) {
        if (i % perColumn == 0) widths.push_back(0);
        widths.back() = std::max(widths.back(), fm.horizontalAdvance(plan.legend[i]) + 28);
    }
    double width = 8;
    for (double w : widths) width += w;
    const QRectF box(area.left() + 8, area.top() + 8, width, perColumn * rowHeight + 8);
    framedBox(painter, box);
    std::vector<std::vector<QLineF>> symbols(static_cast<std::size_t>(count));
    double left = box.left();
    for (int i = 0; i < count; ++i) {
        if (i > 0 && i % perColumn == 0)
            left += widths[static_cast<std::size_t>(i / perColumn - 1)];
        const double y = box.top() + 4 + (i % perColumn) * rowHeight;
        appendSymbol(symbols[static_cast<std::size_t>(i)], QPointF(left + 12, y + rowHeight / 2),
                     codeMarker(i).symbol);
        painter.setPen(Qt::black);
        painter.drawText(
            QRectF(left + 24, y, widths[static_cast<std::size_t>(i / perColumn)] - 24, rowHeight),
            Qt::AlignVCenter, plan.legend[i]);
    }
    for (int i = 0; i < count; ++i) {
        painter.setPen(QPen(codeMarker(i).colour, 1.5));
        const auto& lines = symbols[static_cast<std::size_t>(i)];
        painter.drawLines(lines.data(), static_cast<int>(lines.size()));
    }
}

void drawScaleBar(QPainter& painter, const Plan& plan, const QRectF& area, double unitsPerPixel) {
    const double length = quorvel::scaleBarLength(area.width() / 4 * unitsPerPixel);
    if (!(length > 0)) return;
    const double pixels = length / unitsPerPixel;
    const QFontMetricsF fm(painter.font());
    // The unit only where the file states it: a number alone is never a wrong unit.
    const QString text = QString::number(length, 'g', 8) +
                         (plan.unit.isEmpty() ? QString() : QLatin1Char(' ') + plan.unit);
    const QRectF box(area.left() + 8, area.bottom() - fm.height() - 24,
                     std::max(pixels, fm.horizontalAdvance(text)) + 16, fm.height() + 16);
    framedBox(painter, box);
    const double y = box.bottom() - 6;
    const QPointF a(box.left() + 8, y);
    const QPointF b(a.x() + pixels, y);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(a, b);
    painter.drawLine(a, a - QPointF(0, 5));
    painter.drawLine(b, b - QPointF(0, 5));
    painter.setPen(Qt::black);
    painter.drawText(
        QRectF(a.x(), box.top() + 2, std::max(pixels, fm.horizontalAdvance(text)), fm.height()),
        Qt::AlignHCenter, text);
}

// Where numbers cover each other some are left out: the plan says how many.
void drawHiddenLabels(QPainter& painter, const QRectF& area, Labels labels) {
    if (labels.shown >= labels.inView) return;
    const QFontMetricsF fm(painter.font());
    const QString text =
        QStringLiteral("%1 of %2 labels shown: zoom in").arg(labels.shown).arg(labels.inView);
    const double width = fm.horizontalAdvance(text) + 16;
    const QRectF box(area.right() - 8 - width, area.bottom() - fm.height() - 16, width,
                     fm.height() + 8);
    framedBox(painter, box);
    painter.setPen(Qt::black);
    painter.drawText(box, Qt::AlignCenter, text);
}

void drawNorthArrow(QPainter& painter, const Plan& plan, const QRectF& area) {
    const QFontMetricsF fm(painter.font());
    const QString axis = plan.northAxis;
    const QRectF box(area.right() - 44, area.top() + 8, 36, 2 * fm.height() + 36);
    framedBox(painter, box);
    const double x = box.center().x();
    painter.setPen(Qt::black);
    painter.drawText(QRectF(box.left(), box.top() + 2, box.width(), fm.height()), Qt::AlignHCenter,
                     QStringLiteral("N"));
    QPainterPath arrow;
    const double top = box.top() + fm.height() + 4;
    arrow.moveTo(x, top);
    arrow.lineTo(x + 7, top + 14);
    arrow.lineTo(x, top + 10);
    arrow.lineTo(x - 7, top + 14);
    arrow.closeSubpath();
    painter.setBrush(Qt::black);
    painter.drawPath(arrow);
    painter.drawLine(QPointF(x, top + 10), QPointF(x, top + 28));
    painter.drawText(QRectF(box.left(), top + 28, box.width(), fm.height()), Qt::AlignHCenter,
                     axis);
}

}  // namespace

Plan Plan::from(const quorvel::PointList& list, quorvel::Axes axes) {
    Plan plan;
    plan.northAxis = axes == quorvel::Axes::XEastYNorth ? QStringLiteral("Y") : QStringLiteral("X");
    plan.unit = QString::fromStdString(list.counts.distanceUnit);
    std::map<QString, int> codes;
    std::vector<QString> codeOf;
    for (std::size_t r = 0; r < list.rows.size(); ++r) {
        const quorvel::PointRow& row = list.rows[r];
        if (!row.placed) continue;
        QString code = trimmedRight(row.code);
        if (code.isEmpty()) code = QStringLiteral("(no code)");
        codes.emplace(code, 0);
        codeOf.push_back(code);
        plan.positions.emplace_back(row.east, row.north);
        plan.rows.push_back(static_cast<int>(r));
        plan.labels << trimmedRight(row.point);
    }
    for (auto& [code, index] : codes) {
        index = static_cast<int>(plan.legend.size());
        plan.legend << code;
    }
    for (const QString& code : codeOf) plan.codes.push_back(codes[code]);
    QRectF bounds;
    if (!plan.positions.empty()) {
        double e0 = plan.positions[0].x(), e1 = e0, n0 = plan.positions[0].y(), n1 = n0;
        for (const QPointF& p : plan.positions) {
            e0 = std::min(e0, p.x());
            e1 = std::max(e1, p.x());
            n0 = std::min(n0, p.y());
            n1 = std::max(n1, p.y());
        }
        bounds = QRectF(QPointF(e0, n0), QPointF(e1, n1));
    }
    // One point, or points on a line, still get an area to show them in.
    const double side = std::max({bounds.width(), bounds.height(), 1.0});
    plan.bounds = bounds.adjusted(-(side - bounds.width()) / 2, -(side - bounds.height()) / 2,
                                  (side - bounds.width()) / 2, (side - bounds.height()) / 2);
    return plan;
}

int Plan::rowNear(const QTransform& toDevice, QPointF device, double radius) const {
    int best = -1;
    double bestDistance = radius * radius * (1 + 1e-9);  // of points on one spot, the first
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const QPointF d = toDevice.map(positions[i]) - device;
        const double distance = d.x() * d.x() + d.y() * d.y();
        if (distance < bestDistance) {
            bestDistance = distance;
            best = rows[i];
        }
    }
    return best;
}

int Plan::indexOfRow(int row) const {
    const auto it = std::lower_bound(rows.begin(), rows.end(), row);
    return it != rows.end() && *it == row ? static_cast<int>(it - rows.begin()) : -1;
}

Marker codeMarker(int index) {
    static const QRgb colours[] = {0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e, 0x9467bd, 0x8c564b,
                                   0xe377c2, 0x17becf, 0xbcbd22, 0x393b79, 0x637939, 0x7f7f7f};
    constexpr int kColours = static_cast<int>(std::size(colours));
    index = std::max(index, 0);
    const auto symbol = static_cast<Symbol>(index / kColours % kSymbols);
    if (index < kColours * kSymbols) return {QColor::fromRgb(colours[index % kColours]), symbol};
    // Past every pairing of those, a hue of its own: steps of the golden angle never meet.
    const double hue = std::fmod(index * 0.6180339887498949, 1.0);
    return {QColor::fromHsvF(static_cast<float>(hue), 0.8f, 0.55f + 0.1f * (index % 3)), symbol};
}

QTransform fitTransform(const Plan& plan, const QRectF& area) {
    return regionTransform(plan.bounds, area.adjusted(kMargin, kMargin, -kMargin, -kMargin));
}

QTransform regionTransform(const QRectF& region, const QRectF& area) {
    const QRectF b = region.normalized();
    const double s = std::max(1e-12, std::min(area.width() / std::max(b.width(), 1e-300),
                                              area.height() / std::max(b.height(), 1e-300)));
    const QPointF c = area.center();
    return QTransform(s, 0, 0, -s, c.x() - s * b.center().x(), c.y() + s * b.center().y());
}

Labels drawPoints(QPainter& painter, const Plan& plan, const QTransform& toDevice,
                  const QRectF& area, int selectedRow) {
    const QRectF cull = area.adjusted(-kCross, -kCross, kCross, kCross);
    std::vector<std::vector<QLineF>> symbols(static_cast<std::size_t>(plan.legend.size()));
    std::vector<std::pair<QPointF, int>> inView;
    for (std::size_t i = 0; i < plan.positions.size(); ++i) {
        const QPointF p = toDevice.map(plan.positions[i]);
        if (!cull.contains(p)) continue;
        const int code = plan.codes[i];
        appendSymbol(symbols[static_cast<std::size_t>(code)], p, codeMarker(code).symbol);
        inView.emplace_back(p, static_cast<int>(i));
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (std::size_t c = 0; c < symbols.size(); ++c) {
        if (symbols[c].empty()) continue;
        painter.setPen(QPen(codeMarker(static_cast<int>(c)).colour, 1.2));
        painter.drawLines(symbols[c].data(), static_cast<int>(symbols[c].size()));
    }
    // Points without a number have nothing to hide.
    Labels labels{0, static_cast<int>(std::count_if(inView.begin(), inView.end(), [&](auto& v) {
                      return !plan.labels[v.second].isEmpty();
                  }))};
    if (inView.size() <= static_cast<std::size_t>(kMostLabels)) {
        // A number goes only where no other one is yet, so that those shown can be read.
        const QFontMetricsF fm(painter.font());
        const double cellWidth = fm.horizontalAdvance(QStringLiteral("00000"));
        const double cellHeight = fm.height();
        QSet<QPair<int, int>> taken;
        painter.setPen(QColor(0x30, 0x30, 0x30));
        for (const auto& [p, i] : inView) {
            const QPair<int, int> cell(static_cast<int>(std::floor(p.x() / cellWidth)),
                                       static_cast<int>(std::floor(p.y() / cellHeight)));
            if (plan.labels[i].isEmpty() || taken.contains(cell)) continue;
            taken.insert(cell);
            painter.drawText(p + QPointF(kCross + 2, -kCross - 1), plan.labels[i]);
            ++labels.shown;
        }
    }
    const int selected = plan.indexOfRow(selectedRow);
    if (selected >= 0) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor(0xe0, 0x10, 0x10), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(toDevice.map(plan.positions[static_cast<std::size_t>(selected)]), 8, 8);
    }
    painter.restore();
    return labels;
}

void drawFurniture(QPainter& painter, const Plan& plan, const QRectF& area, double unitsPerPixel,
                   Labels labels) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    drawLegend(painter, plan, area);
    drawScaleBar(painter, plan, area, unitsPerPixel);
    drawNorthArrow(painter, plan, area);
    drawHiddenLabels(painter, area, labels);
    painter.restore();
}

void drawPlan(QPainter& painter, const Plan& plan, const QRectF& area, const QTransform& toDevice) {
    const Labels labels = drawPoints(painter, plan, toDevice, area);
    drawFurniture(painter, plan, area, 1 / toDevice.m11(), labels);
}

namespace {

QTransform exportTransform(const Plan& plan, const QRectF& area, const QRectF& region) {
    return region.isNull() ? fitTransform(plan, area) : regionTransform(region, area);
}

// The drawing replaces `path` only once all of it is there. The toolkit takes a short
// write (a full disk) as no error and would put a cut file in the earlier one's place:
// written unbuffered, the rest goes again until the system says why it cannot.
bool save(const QByteArray& data, const QString& path, QString* error) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        qint64 done = 0;
        while (done < data.size()) {
            const qint64 n = file.write(data.constData() + done, data.size() - done);
            if (n <= 0) break;
            done += n;
        }
        if (done == data.size() && file.commit()) return true;
    }
    if (error) *error = file.errorString();
    return false;
}

}  // namespace

bool writeSvg(const Plan& plan, const QString& path, QSize size, QString* error,
              const QRectF& region) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setTitle(QStringLiteral("Plan of the points"));
    QPainter painter(&svg);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    const QRectF area(QPointF(0, 0), size);
    drawPlan(painter, plan, area, exportTransform(plan, area, region));
    painter.end();
    return save(buffer.data(), path, error);
}

bool writePng(const Plan& plan, const QString& path, QSize size, QString* error,
              const QRectF& region) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QRectF area(QPointF(0, 0), size);
    drawPlan(painter, plan, area, exportTransform(plan, area, region));
    painter.end();
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {  // no memory for an image that large
        if (error) *error = QStringLiteral("The image could not be made");
        return false;
    }
    return save(buffer.data(), path, error);
}

}  // namespace plan
