#include "Platform.h"

#include <QDir>

namespace platform {

QString homeFolder() {
    QString home = QDir::toNativeSeparators(QDir::homePath());
    while (home.size() > 1 && home.endsWith(separator())) home.chop(1);
    return home;
}

QChar separator() { return QDir::separator(); }

}  // namespace platform
