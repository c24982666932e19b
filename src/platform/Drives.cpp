// SPDX-License-Identifier: GPL-3.0-or-later
#include "Drives.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

#include <algorithm>

namespace platform {

QList<Drive> listDrives(const QString& homeFolder) {
    QList<Drive> drives;
    drives.append({QStringLiteral("Home folder"), homeFolder});
#ifdef Q_OS_WIN
    for (const QFileInfo& root : QDir::drives()) {
        const QString path = QDir::toNativeSeparators(root.absoluteFilePath());
        drives.append({path.left(2), path});
    }
#else
    drives.append({QStringLiteral("File system"), QStringLiteral("/")});
    QList<Drive> mounted;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid()) mounted.append({volume.name(), volume.rootPath()});
    drives.append(removableDrives(mounted));
#endif
    return drives;
}

QList<Drive> removableDrives(const QList<Drive>& mounted) {
    QList<Drive> volumes;
    for (const Drive& volume : mounted) {
        const QString& root = volume.path;
        const bool removable = root.startsWith(QLatin1String("/media/")) ||
                               root.startsWith(QLatin1String("/run/media/")) ||
                               root.startsWith(QLatin1String("/mnt/"));
        const bool seen = std::any_of(volumes.cbegin(), volumes.cend(),
                                      [&](const Drive& d) { return d.path == root; });
        if (!removable || seen) continue;
        volumes.append({volume.name.isEmpty() ? QFileInfo(root).fileName() : volume.name, root});
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const Drive& a, const Drive& b) { return a.path < b.path; });
    return volumes;
}

bool driveReadable(const QString& path) {
    const QFileInfo info(path);
    if (!info.isDir() || !QDir(path).isReadable()) return false;
#ifndef Q_OS_WIN
    // A folder without search permission lists names but cannot be entered.
    if (!info.isExecutable()) return false;
#endif
    return true;
}

}  // namespace platform
