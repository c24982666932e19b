// SPDX-License-Identifier: GPL-3.0-or-later
#include "Platform.h"

#include <QCoreApplication>
#include <QDir>

namespace platform {

QString homeFolder() {
    QString home = QDir::toNativeSeparators(QDir::homePath());
    while (home.size() > 1 && home.endsWith(separator())) home.chop(1);
    return home;
}

QChar separator() {
    return QDir::separator();
}

void quitApplication() {
    QCoreApplication::quit();
}

}  // namespace platform
