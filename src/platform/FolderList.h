// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folder list of the settings window: the folders of one drive as a tree, the
// current folder highlighted and opened. A double-click (or Return) opens a folder
// and makes it the current one.

#include <QString>
#include <QTreeView>

class QFileSystemModel;
class QSortFilterProxyModel;

namespace platform {

class FolderList : public QTreeView {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    /// The current folder as the toolkit gives it: "/" at the root, no closing
    /// separator below it; empty until a folder is set.
    QString path() const { return m_path; }
    /// Shows the folders of the drive whose top folder is `drivePath`.
    void setDrive(const QString& drivePath);
    QString drive() const { return m_drive; }
    /// Moves to `folder`. Emits pathChanged only when the current folder changes.
    void setPath(const QString& folder);

    /// The model underneath, which loads folders asynchronously (directoryLoaded).
    QFileSystemModel* fileSystem() const { return m_model; }
    /// The view's index of a folder, invalid when it is not shown.
    QModelIndex indexOf(const QString& folder) const;
    /// No more room than its minimum, so that the window around it fits a small screen;
    /// it grows with the window.
    QSize sizeHint() const override { return minimumSize(); }

signals:
    void pathChanged(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void open(const QModelIndex& index);

    QFileSystemModel* m_model;
    QSortFilterProxyModel* m_proxy;
    QString m_drive;
    QString m_path;
};

}  // namespace platform
