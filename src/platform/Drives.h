// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The drives a user can pick a default folder on. Drive C: of the Windows desktop is
// the home folder here; "/" and removable media follow.

#include <QList>
#include <QString>
#include <functional>

namespace platform {

struct Drive {
    QString name;  // what the drive selector shows beside the path
    QString path;  // the drive's top folder, no closing separator (except "/")
};

/// Lists the drives for a home folder; tests hand in their own list.
using DriveLister = std::function<QList<Drive>(const QString& homeFolder)>;

/// The home folder, "/", then each mounted volume under /media, /run/media and
/// /mnt (USB sticks and other removable media), in path order.
QList<Drive> listDrives(const QString& homeFolder);
/// Of mounted volumes (name and top folder; an empty name is the folder's), the
/// removable ones, each once, in path order.
QList<Drive> removableDrives(const QList<Drive>& mounted);

/// Whether the folders of a drive can be listed now (a drive whose medium was
/// pulled, or that the user may not read, cannot).
bool driveReadable(const QString& path);

}  // namespace platform
