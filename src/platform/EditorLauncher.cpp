// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditorLauncher.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

QStringList QtEditorLauncher::candidateEditors() {
#ifdef Q_OS_WIN
    return {QStringLiteral("notepad")};
#else
    return {QStringLiteral("gnome-text-editor"),
            QStringLiteral("gedit"),
            QStringLiteral("kate"),
            QStringLiteral("kwrite"),
            QStringLiteral("mousepad"),
            QStringLiteral("xed"),
            QStringLiteral("pluma"),
            QStringLiteral("featherpad"),
            QStringLiteral("leafpad")};
#endif
}

QString QtEditorLauncher::findEditor() {
    for (const QString& name : candidateEditors()) {
        const QString found = QStandardPaths::findExecutable(name);
        if (!found.isEmpty()) return found;
    }
    return {};
}

LaunchResult QtEditorLauncher::start(const QString& path) {
    const QFileInfo info(path);
    if (!info.absoluteDir().exists()) return LaunchResult::PathNotFound;
    const QString editor = findEditor();
    if (editor.isEmpty()) return LaunchResult::Failed;
    return QProcess::startDetached(editor, {path}) ? LaunchResult::Started : LaunchResult::Failed;
}

}  // namespace platform
