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
    QList<Drive> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        const bool removable = root.startsWith(QLatin1String("/media/")) ||
                               root.startsWith(QLatin1String("/run/media/")) ||
                               root.startsWith(QLatin1String("/mnt/"));
        if (!volume.isValid() || !removable) continue;
        const bool seen = std::any_of(volumes.cbegin(), volumes.cend(),
                                      [&](const Drive& d) { return d.path == root; });
        if (seen) continue;
        QString name = volume.name();
        if (name.isEmpty()) name = QFileInfo(root).fileName();
        volumes.append({name, root});
    }
    std::sort(volumes.begin(), volumes.end(),
              [](const Drive& a, const Drive& b) { return a.path < b.path; });
    drives.append(volumes);
#endif
    return drives;
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
