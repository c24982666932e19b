// SPDX-License-Identifier: GPL-3.0-or-later
#include "points/PlanView.h"

#include <QGraphicsScene>
#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>

namespace {

// The scene holds east and minus north, so that north is up on the screen.
const QTransform kPlanToScene(1, 0, 0, -1, 0, 0);
constexpr double kPickRadius = 8;  // pixels

}  // namespace

PlanView::PlanView(QWidget* parent) : QGraphicsView(parent) {
    setScene(new QGraphicsScene(this));
    setDragMode(QGraphicsView::ScrollHandDrag);
    setTransformationAnchor(QGraphicsView::AnchorUnderMouse);
    // The legend, scale bar and north arrow stay put while the plan moves under them.
    setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
    setMinimumSize(240, 240);
}

void PlanView::setPlan(const plan::Plan* plan) {
    m_plan = plan;
    m_selectedRow = -1;
    if (plan) {
        // Room around the points to pan into.
        const QRectF b = kPlanToScene.mapRect(plan->bounds);
        const double room = std::max(b.width(), b.height()) * 10;
        scene()->setSceneRect(b.adjusted(-room, -room, room, room));
    }
    fit();
}

void PlanView::fit() {
    m_fitted = true;
    if (!m_plan) return;
    const QRectF b = kPlanToScene.mapRect(m_plan->bounds);
    const double margin = std::max(b.width(), b.height()) * 0.05;
    fitInView(b.adjusted(-margin, -margin, margin, margin), Qt::KeepAspectRatio);
    viewport()->update();
}

double PlanView::unitsPerPixel() const {
    return 1 / transform().m11();
}

QTransform PlanView::toViewport() const {
    return kPlanToScene * viewportTransform();
}

QRectF PlanView::visibleRegion() const {
    return toViewport().inverted().mapRect(QRectF(viewport()->rect()));
}

void PlanView::setSelectedRow(int row) {
    m_selectedRow = row;
    const int i = m_plan ? m_plan->indexOfRow(row) : -1;
    if (i >= 0) {
        const QPointF p = kPlanToScene.map(m_plan->positions[static_cast<std::size_t>(i)]);
        if (!viewport()->rect().contains(mapFromScene(p))) centerOn(p);
    }
    viewport()->update();
}

void PlanView::drawBackground(QPainter* painter, const QRectF& rect) {
    painter->fillRect(rect, Qt::white);
    if (!m_plan) return;
    painter->save();
    painter->resetTransform();
    m_labels = plan::drawPoints(*painter, *m_plan, toViewport(), viewport()->rect(), m_selectedRow);
    painter->restore();
}

void PlanView::drawForeground(QPainter* painter, const QRectF&) {
    if (!m_plan) return;
    painter->save();
    painter->resetTransform();
    plan::drawFurniture(*painter, *m_plan, viewport()->rect(), unitsPerPixel(), m_labels);
    painter->restore();
}

void PlanView::wheelEvent(QWheelEvent* event) {
    const double factor = std::pow(1.2, event->angleDelta().y() / 120.0);
    const double scaleNow = transform().m11();
    // Neither so far in that a pixel is less than a micrometre, nor so far out that
    // the job is a dot.
    if ((factor > 1 && scaleNow * factor > 1e6) || (factor < 1 && unitsPerPixel() / factor > 1e7))
        return;
    m_fitted = false;
    scale(factor, factor);
    event->accept();
}

void PlanView::mousePressEvent(QMouseEvent* event) {
    m_pressAt = event->position().toPoint();
    QGraphicsView::mousePressEvent(event);
}

void PlanView::mouseReleaseEvent(QMouseEvent* event) {
    QGraphicsView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton) return;
    if ((event->position().toPoint() - m_pressAt).manhattanLength() > 3) {
        m_fitted = false;  // a drag: the plan was panned
        return;
    }
    const int row = m_plan ? m_plan->rowNear(toViewport(), event->position(), kPickRadius) : -1;
    if (row < 0) return;
    setSelectedRow(row);
    emit rowPicked(row);
}

void PlanView::resizeEvent(QResizeEvent* event) {
    QGraphicsView::resizeEvent(event);
    if (m_fitted) fit();
}
