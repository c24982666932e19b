// SPDX-License-Identifier: GPL-3.0-or-later
#include "points/PointTable.h"

#include <QColor>

#include "core/numbers.h"

namespace {

QString text(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

bool hasWarning(const quorvel::PointRow& row, quorvel::PointWarning w) {
    return (row.warnings & static_cast<std::uint8_t>(w)) != 0;
}

// Numbers sort by value, before any text that is not one.
bool numberLess(const std::string& a, const std::string& b) {
    double x = 0, y = 0;
    const bool xa = quorvel::toDouble(a, x), yb = quorvel::toDouble(b, y);
    if (xa && yb) return x < y;
    if (xa != yb) return xa;
    return a < b;
}

}  // namespace

void PointTableModel::setPoints(const quorvel::PointList* list) {
    beginResetModel();
    m_list = list;
    endResetModel();
}

int PointTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_list ? 0 : static_cast<int>(m_list->rows.size());
}

int PointTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString PointTableModel::statusText(const quorvel::PointRow& row,
                                    const quorvel::ConversionCounts& counts) {
    const QString station = text(row.station);
    QString s;
    if (row.notWritten) {
        s = QStringLiteral("not written: ") +
            text(quorvel::notWrittenText(*row.notWritten, counts));
        if (!station.isEmpty()) s += QStringLiteral("; observed from station ") + station;
    } else {
        s = station.isEmpty() ? QStringLiteral("written")
                              : QStringLiteral("reduced from station ") + station;
    }
    using W = quorvel::PointWarning;
    if (hasWarning(row, W::Duplicate)) s += QStringLiteral("; number used at another position");
    if (hasWarning(row, W::AtOrigin)) s += QStringLiteral("; at 0/0");
    if (hasWarning(row, W::Far)) s += QStringLiteral("; far from the rest");
    return s;
}

QVariant PointTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_list) return {};
    const quorvel::PointRow& r = row(index.row());
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case Line:
                    return QString::number(r.line);
                case Point:
                    return text(r.point);
                case Code:
                    return text(r.code);
                case X:
                    return text(r.x);
                case Y:
                    return text(r.y);
                case Z:
                    return text(r.z);
                case Status:
                    return statusText(r, m_list->counts);
            }
            break;
        case Qt::ToolTipRole:
            // The whole status, however narrow its column.
            if (index.column() == Status) return statusText(r, m_list->counts);
            break;
        case Qt::TextAlignmentRole:
            if (index.column() == Line || (index.column() >= X && index.column() <= Z))
                return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            break;
        case Qt::BackgroundRole:
            if (r.warnings != 0) return QColor(255, 236, 200);
            break;
    }
    return {};
}

QVariant PointTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const names[] = {"Line", "Point", "Code", "X", "Y", "Z", "Status"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QVariant();
}

PointFilter::PointFilter(PointTableModel* model, QObject* parent)
    : QSortFilterProxyModel(parent), m_model(model) {
    setSourceModel(model);
}

void PointFilter::setWarningMask(std::uint8_t mask) {
    m_mask = mask;
    invalidateFilter();
}

bool PointFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const {
    return m_mask == 0 || (m_model->row(sourceRow).warnings & m_mask) != 0;
}

bool PointFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    const quorvel::PointRow& a = m_model->row(left.row());
    const quorvel::PointRow& b = m_model->row(right.row());
    switch (left.column()) {
        case PointTableModel::Line:
            return a.line < b.line;
        case PointTableModel::Point:
            return numberLess(a.point, b.point);
        case PointTableModel::Code:
            return a.code < b.code;
        case PointTableModel::X:
            return numberLess(a.x, b.x);
        case PointTableModel::Y:
            return numberLess(a.y, b.y);
        case PointTableModel::Z:
            return numberLess(a.z, b.z);
        default: {
            // Written first, then by reason; within each, by the warnings that name the line.
            auto key = [](const quorvel::PointRow& r) {
                return (r.notWritten ? 1 + static_cast<int>(*r.notWritten) : 0) * 32 + r.warnings;
            };
            return key(a) < key(b);
        }
    }
}
