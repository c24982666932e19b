// SPDX-License-Identifier: GPL-3.0-or-later
#include "Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

namespace platform {

QString QtDialogs::displayText(const QString& text) {
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

QString QtDialogs::toNameFilters(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i];
        // The shown name may already carry its pattern in brackets: keep one copy.
        name.remove(QRegularExpression(QStringLiteral("\\s*\\([^()]*\\)\\s*$")));
        QString pattern = parts[i + 1];
#ifndef Q_OS_WIN
        // "*.*" means every file; elsewhere it would ask for a dot in the name.
        if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
#endif
        pattern.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters << QStringLiteral("%1 (%2)").arg(name.trimmed(), pattern);
    }
    return filters.join(QStringLiteral(";;"));
}

Answer QtDialogs::message(const QString& text, Icon icon, Buttons buttons, const QString& caption,
                          Answer defaultAnswer) {
    QMessageBox box(m_parent);
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowTitle(caption);
    box.setText(displayText(text));
    box.setIcon(icon == Icon::Critical   ? QMessageBox::Critical
                : icon == Icon::Question ? QMessageBox::Question
                                         : QMessageBox::NoIcon);
    QMessageBox::StandardButton fallback = QMessageBox::Ok;
    switch (buttons) {
        case Buttons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case Buttons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            box.setDefaultButton(defaultAnswer == Answer::Cancel ? QMessageBox::Cancel
                                                                 : QMessageBox::Ok);
            fallback = QMessageBox::Cancel;
            break;
        case Buttons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(defaultAnswer == Answer::No ? QMessageBox::No : QMessageBox::Yes);
            fallback = QMessageBox::No;
            break;
    }
    // Escape or the close control answers the safe way: Cancel or No.
    box.setEscapeButton(fallback);
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        case QMessageBox::Ok:
            return Answer::Ok;
        default:
            return buttons == Buttons::Ok      ? Answer::Ok
                   : buttons == Buttons::YesNo ? Answer::No
                                               : Answer::Cancel;
    }
}

namespace {

void prepare(QFileDialog& dialog, QFileDialog::AcceptMode mode, const QString& filter) {
    dialog.setObjectName(QStringLiteral("CmdDialog1"));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The toolkit's own dialog, the same on every desktop and under test.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setNameFilter(QtDialogs::toNameFilters(filter));
}

std::optional<QString> run(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

}  // namespace

std::optional<QString> QtDialogs::showOpen(const QString& filter, const QString& title,
                                           const QString& folder) {
    QFileDialog dialog(m_parent, title);
    prepare(dialog, QFileDialog::AcceptOpen, filter);
    dialog.setDirectory(folder);
    return run(dialog);
}

std::optional<QString> QtDialogs::showSave(const QString& filter, const QString& title,
                                           const QString& proposed) {
    QFileDialog dialog(m_parent, title);
    prepare(dialog, QFileDialog::AcceptSave, filter);
    // The caller asks before it overwrites: one question, not two.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    const QFileInfo where(proposed);
    dialog.setDirectory(where.absolutePath());
    dialog.selectFile(where.fileName());
    std::optional<QString> chosen = run(dialog);
    // A name typed without an extension takes the one of the file type chosen.
    if (chosen && !QFileInfo(*chosen).fileName().contains(QLatin1Char('.'))) {
        QString type = dialog.selectedNameFilter().section(QLatin1Char('('), -1);
        type = type.section(QLatin1Char(' '), 0, 0).remove(QLatin1Char(')'));
        if (type.startsWith(QLatin1String("*.")) && type.indexOf(QLatin1Char('*'), 1) < 0)
            *chosen += type.mid(1);
    }
    return chosen;
}

}  // namespace platform
