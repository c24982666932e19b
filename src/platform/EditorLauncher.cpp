// SPDX-License-Identifier: GPL-3.0-or-later
#include "EditorLauncher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace platform {

namespace {

#ifndef Q_OS_WIN
// Editors that need a terminal to show anything: started in the desktop's terminal.
bool needsTerminal(const QString& program) {
    static const QStringList terminal = {
        QStringLiteral("vi"),    QStringLiteral("vim"),  QStringLiteral("nvim"),
        QStringLiteral("view"),  QStringLiteral("nano"), QStringLiteral("pico"),
        QStringLiteral("joe"),   QStringLiteral("jed"),  QStringLiteral("mcedit"),
        QStringLiteral("micro"), QStringLiteral("ne"),   QStringLiteral("ed"),
        QStringLiteral("kak"),   QStringLiteral("hx"),   QStringLiteral("mg"),
        QStringLiteral("zile")};
    return terminal.contains(QFileInfo(program).fileName());
}

QString executable(const QString& program) {
    if (program.contains(QLatin1Char('/')))
        return QFileInfo(program).isExecutable() ? program : QString();
    return QStandardPaths::findExecutable(program);
}

// Starts `command` (program first) with the file; an empty text, or why not.
QString startCommand(QStringList command, bool terminal) {
    if (command.isEmpty()) return QStringLiteral("empty");
    const QString program = command.takeFirst();
    const QString found = executable(program);
    if (found.isEmpty()) return program + QStringLiteral(" not found");
    if (terminal || needsTerminal(found)) {
        const QString term = QStandardPaths::findExecutable(QStringLiteral("x-terminal-emulator"));
        if (term.isEmpty()) return program + QStringLiteral(" needs a terminal, none found");
        command = QStringList{QStringLiteral("-e"), found} + command;
        return QProcess::startDetached(term, command) ? QString()
                                                      : program + QStringLiteral(" did not start");
    }
    return QProcess::startDetached(found, command) ? QString()
                                                   : program + QStringLiteral(" did not start");
}

// The desktop entries named the default for text files, in the order the desktop
// looks for them (its own list first, then the user's, then the system's).
QStringList defaultEntries() {
    QStringList lists;
    const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP")
                                     .toLower()
                                     .split(QLatin1Char(':'), Qt::SkipEmptyParts);
    const auto add = [&](const QString& folder) {
        for (const QString& desktop : desktops)
            lists << folder + QLatin1Char('/') + desktop + QStringLiteral("-mimeapps.list");
        lists << folder + QStringLiteral("/mimeapps.list");
    };
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation))
        add(folder);
    for (const QString& folder :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        add(folder + QStringLiteral("/applications"));
        lists << folder + QStringLiteral("/applications/defaults.list");
    }
    QStringList entries;
    for (const QString& list : lists) {
        QFile file(list);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
        bool defaults = false;
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.startsWith(QLatin1Char('['))) {
                defaults = line == QLatin1String("[Default Applications]");
            } else if (defaults && line.startsWith(QLatin1String("text/plain="))) {
                entries << line.mid(11).split(QLatin1Char(';'), Qt::SkipEmptyParts);
            }
        }
    }
    return entries;
}
#endif

}  // namespace

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

QtEditorLauncher::Command QtEditorLauncher::desktopDefaultFor(
    [[maybe_unused]] const QString& path) {
#ifdef Q_OS_WIN
    return {};
#else
    const QStringList data = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& entry : defaultEntries()) {
        for (const QString& folder : data) {
            QFile file(folder + QStringLiteral("/applications/") + entry);
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) continue;
            QString exec;
            bool terminal = false;
            bool main = false;
            while (!file.atEnd()) {
                const QString line = QString::fromUtf8(file.readLine()).trimmed();
                if (line.startsWith(QLatin1Char('[')))
                    main = line == QLatin1String("[Desktop Entry]");
                else if (main && line.startsWith(QLatin1String("Exec=")))
                    exec = line.mid(5);
                else if (main && line == QLatin1String("Terminal=true"))
                    terminal = true;
            }
            QStringList command;
            bool placed = false;
            // The field codes: %f and %F a file, %u and %U its URL; the others go.
            for (const QString& word : QProcess::splitCommand(exec)) {
                if (word == QLatin1String("%f") || word == QLatin1String("%F")) {
                    command << path;
                    placed = true;
                } else if (word == QLatin1String("%u") || word == QLatin1String("%U")) {
                    command << QUrl::fromLocalFile(path).toString();
                    placed = true;
                } else if (word.size() == 2 && word.startsWith(QLatin1Char('%')) &&
                           word != QLatin1String("%%")) {
                    continue;
                } else {
                    command << QString(word).replace(QLatin1String("%%"), QLatin1String("%"));
                }
            }
            if (command.isEmpty()) continue;
            if (!placed) command << path;
            return {command, terminal};
        }
    }
    return {};
#endif
}

LaunchResult QtEditorLauncher::start(const QString& path) {
    m_tried.clear();
    const QFileInfo info(path);
    if (!info.absoluteDir().exists()) return LaunchResult::PathNotFound;
#ifdef Q_OS_WIN
    const QString editor = findEditor();
    if (editor.isEmpty()) return LaunchResult::Failed;
    return QProcess::startDetached(editor, {path}) ? LaunchResult::Started : LaunchResult::Failed;
#else
    // The user's own choice first, as other programs take it.
    for (const char* variable : {"VISUAL", "EDITOR"}) {
        const QString name = QLatin1Char('$') + QLatin1String(variable);
        const QString value = qEnvironmentVariable(variable).trimmed();
        if (value.isEmpty()) {
            m_tried << name + QStringLiteral(" (not set)");
            continue;
        }
        const QString why = startCommand(QProcess::splitCommand(value) << path, false);
        if (why.isEmpty()) return LaunchResult::Started;
        m_tried << QStringLiteral("%1 (%2)").arg(name, why);
    }
    const Command desktop = desktopDefaultFor(path);
    const QString what = QStringLiteral("the desktop's default for text files");
    if (desktop.words.isEmpty()) {
        m_tried << what + QStringLiteral(" (none set)");
    } else {
        const QString why = startCommand(desktop.words, desktop.terminal);
        if (why.isEmpty()) return LaunchResult::Started;
        m_tried << QStringLiteral("%1 (%2)").arg(what, why);
    }
    const QString editor = findEditor();
    if (!editor.isEmpty() && QProcess::startDetached(editor, {path})) return LaunchResult::Started;
    m_tried << QStringLiteral("the usual text editors (%1)")
                   .arg(editor.isEmpty() ? QStringLiteral("none installed")
                                         : editor + QStringLiteral(" did not start"));
    return LaunchResult::Failed;
#endif
}

}  // namespace platform
