// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The plan of the points in a graphics view: the wheel zooms around the cursor,
// dragging pans, a click picks the nearest point. The points are drawn by the plan's
// own drawing code, so the view and the exported files look alike.

#include <QGraphicsView>

#include "plan/Plan.h"

class PlanView final : public QGraphicsView {
    Q_OBJECT
public:
    explicit PlanView(QWidget* parent = nullptr);
    /// Shows `plan` (kept by the caller) whole.
    void setPlan(const plan::Plan* plan);
    /// Rings the point of `row` of the point list and brings it into view.
    void setSelectedRow(int row);
    int selectedRow() const { return m_selectedRow; }
    /// Shows the whole plan.
    void fit();
    /// Plan units a pixel of the view spans.
    double unitsPerPixel() const;
    /// The part of the plan in view, in east and north.
    QRectF visibleRegion() const;
    /// Of the points in view at the last drawing, how many have their number shown.
    plan::Labels labels() const { return m_labels; }

signals:
    /// The user clicked near the point of `row`.
    void rowPicked(int row);

protected:
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    /// From east/north to the view's pixels.
    QTransform toViewport() const;

    const plan::Plan* m_plan = nullptr;
    int m_selectedRow = -1;
    plan::Labels m_labels;  // of the points drawn last, for the note in front of them
    QPoint m_pressAt;
    // Until the user zooms or pans, the whole plan stays in view as the window resizes.
    bool m_fitted = true;
};
