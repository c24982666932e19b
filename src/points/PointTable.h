// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The coordinate lines of a file as a table: a model over the parsed lines, and the
// sorting and filtering in front of it.

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include "core/points.h"

class PointTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Line, Point, Code, X, Y, Z, Status, ColumnCount };

    explicit PointTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}
    void setPoints(const quorvel::PointList* list);
    const quorvel::PointRow& row(int r) const { return m_list->rows[static_cast<std::size_t>(r)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    /// The status column's text: written (or reduced from a station), or why not; then
    /// the warnings that name it.
    static QString statusText(const quorvel::PointRow& row,
                              const quorvel::ConversionCounts& counts);

private:
    const quorvel::PointList* m_list = nullptr;
};

class PointFilter final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit PointFilter(PointTableModel* model, QObject* parent = nullptr);
    /// Shows only the lines with one of the warning bits of `mask`; 0 shows all.
    void setWarningMask(std::uint8_t mask);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    PointTableModel* m_model;
    std::uint8_t m_mask = 0;
};
