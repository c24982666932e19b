// SPDX-License-Identifier: GPL-3.0-or-later
#include "Platform.h"

#include <QCoreApplication>
#include <QDir>

namespace platform {

QString homeFolder() {
    // The toolkit gives it cleaned: no closing separator but on "/" itself.
    return QDir::toNativeSeparators(QDir::homePath());
}

QChar separator() {
    return QDir::separator();
}

void quitApplication() {
    QCoreApplication::quit();
}

}  // namespace platform
