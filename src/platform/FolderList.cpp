// SPDX-License-Identifier: GPL-3.0-or-later
#include "FolderList.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSortFilterProxyModel>

namespace platform {

namespace {

// Shows a drive's top folder alone among its siblings, so that a home folder
// taken as a drive shows neither the other users' folders nor anything above.
class DriveFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setDrive(const QString& drive) {
        m_drive = drive;
        m_above = drive == QLatin1String("/") ? QString() : QFileInfo(drive).path();
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (m_above.isEmpty() || !parent.isValid()) return true;
        auto* fs = static_cast<QFileSystemModel*>(sourceModel());
        if (fs->filePath(parent) != m_above) return true;
        return fs->filePath(fs->index(row, 0, parent)) == m_drive;
    }

private:
    QString m_drive;
    QString m_above;
};

QString cleanFolder(const QString& folder) {
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

}  // namespace

FolderList::FolderList(QWidget* parent)
    : QTreeView(parent), m_model(new QFileSystemModel(this)), m_proxy(new DriveFilter(this)) {
    m_model->setFilter(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Drives);
    m_model->setReadOnly(true);
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortCaseSensitivity(Qt::CaseInsensitive);
    m_proxy->setDynamicSortFilter(true);
    m_proxy->sort(0, Qt::AscendingOrder);
    setModel(m_proxy);
    for (int column = 1; column < m_model->columnCount(); ++column) hideColumn(column);
    header()->hide();
    setExpandsOnDoubleClick(false);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QTreeView::doubleClicked, this, &FolderList::open);
}

void FolderList::setDrive(const QString& drivePath) {
    m_drive = cleanFolder(drivePath);
    m_model->setRootPath(m_drive);
    static_cast<DriveFilter*>(m_proxy)->setDrive(m_drive);
    const QString above = QFileInfo(m_drive).path();
    setRootIndex(m_drive == QLatin1String("/") ? QModelIndex()
                                               : m_proxy->mapFromSource(m_model->index(above)));
}

QModelIndex FolderList::indexOf(const QString& folder) const {
    return m_proxy->mapFromSource(m_model->index(cleanFolder(folder)));
}

void FolderList::setPath(const QString& folder) {
    const QModelIndex source = m_model->index(cleanFolder(folder));
    const QString path = source.isValid() ? m_model->filePath(source) : cleanFolder(folder);
    const QModelIndex shown = m_proxy->mapFromSource(source);
    if (shown.isValid()) {
        setCurrentIndex(shown);
        expand(shown);
        scrollTo(shown);
    }
    // Standing there already: no change to report.
    if (path == m_path) return;
    m_path = path;
    emit pathChanged(m_path);
}

void FolderList::open(const QModelIndex& index) {
    if (index.isValid()) setPath(m_model->filePath(m_proxy->mapToSource(index)));
}

void FolderList::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        currentIndex().isValid()) {
        open(currentIndex());
        event->accept();
        return;
    }
    QTreeView::keyPressEvent(event);
}

}  // namespace platform
