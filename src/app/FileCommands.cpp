// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's small file commands: Browse, Clear, Edit File, Settings, About,
// Exit and the output name proposed when the observation field is left.
#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>

#include "app/KCR1.h"
#include "app/frmAbout.h"
#include "core/output_name.h"
#include "download/Reception.h"
#include "settings/Comset.h"

void KCR1::CmdBrowse1_Click() {
    // Where the field's file is, else where downloads go: never the folder the program
    // happened to be started from.
    const QFileInfo field(EdObs->text());
    QString folder = EdObs->text().isEmpty() ? QString() : field.absolutePath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = m_module.RunSettings.DefaultPath;
    if (!QFileInfo(folder).isDir()) folder = m_services.homeFolder;
    const std::optional<QString> chosen = m_services.dialogs.showOpen(
        QStringLiteral("Observation files (*.sdr *.obs *.raw *.txt *.SDR *.OBS *.RAW *.TXT)|"
                       "*.sdr;*.obs;*.raw;*.txt;*.SDR;*.OBS;*.RAW;*.TXT|"
                       "DownLoad files (*.tmp)|*.tmp|All Files(*.*)|*.*"),
        QStringLiteral("Open the Raw data File ..."), folder);
    // Cancel and every failure end here silently, both fields as they were.
    if (!chosen || chosen->isEmpty()) return;
    setObservationName(*chosen);
    EdObs->setFocus(Qt::OtherFocusReason);
}

void KCR1::CmdClear_Click() {
    EdObs->clear();
    EdOut->clear();
}

void KCR1::cmdEdit_Click() {
    const QString path = EdOut->text();
    if (path.isEmpty()) {
        m_services.dialogs.message(QStringLiteral("No file name!"), platform::Icon::Critical,
                                   platform::Buttons::Ok, QStringLiteral("Problem"));
        EdOut->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The path is one argument of the editor's process, never read by a shell.
    switch (m_services.editor.start(path)) {
        case platform::LaunchResult::Started:
            return;
        case platform::LaunchResult::FileNotFound:
        case platform::LaunchResult::PathNotFound:
            m_services.dialogs.message(
                QStringLiteral("File Not Found or invalid path!\rPlease select again! "),
                platform::Icon::Critical, platform::Buttons::Ok, QStringLiteral("Problem"));
            return;
        case platform::LaunchResult::Failed: {
            // Where the platform says what it tried, the user learns how to set an editor.
            const QStringList tried = m_services.editor.tried();
            m_services.dialogs.message(
                tried.isEmpty()
                    ? QStringLiteral(
                          "Could not found Notepad on this computer!\rPlease Contact Varnel HK! ")
                    : QStringLiteral("Could not find a text editor on this computer!\rTried ") +
                          tried.join(QStringLiteral(", ")) +
                          QStringLiteral(".\rSet one in VISUAL (for example VISUAL=gedit in "
                                         "~/.profile), or choose a default application for "
                                         "text files in the desktop's settings."),
                platform::Icon::Critical, platform::Buttons::Ok, QStringLiteral("Problem"));
            return;
        }
    }
}

void KCR1::cmdSettings_Click() {
    if (m_comset == nullptr) {
        m_comset = new Comset(m_module.RunSettings,
                              {m_services.dialogs, m_services.drives, m_services.resolver,
                               m_services.homeFolder, m_services.preferences},
                              this);
        connect(m_comset, &Comset::outputFormatChanged, this, &KCR1::outputFormatChanged);
        connect(m_comset, &Comset::settingsAccepted, this, [this] {
            setPanel(2, Comset::statusText(m_module.RunSettings));
            show();
            raise();
            activateWindow();
        });
    }
    m_comset->show();
    m_comset->raise();
    m_comset->activateWindow();
}

void KCR1::Command1_Click() {
    if (m_about == nullptr) m_about = new frmAbout(this);
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void KCR1::CmdExit_Click() {
    if (confirmQuit()) endProgram();
}

void KCR1::EdObs_LostFocus() {
    const QString name = EdObs->text();
    if (name.isEmpty()) return;
    const std::string out = quorvel::outputNameFor(QFile::encodeName(name).toStdString(),
                                                   m_module.RunSettings.OutputFormat);
    // A folder (a name ending in a separator) proposes nothing.
    if (!out.empty()) EdOut->setText(QFile::decodeName(QByteArray::fromStdString(out)));
}

void KCR1::outputFormatChanged(int previous) {
    const std::string observation = QFile::encodeName(EdObs->text()).toStdString();
    if (EdObs->text().isEmpty() ||
        EdOut->text() != QFile::decodeName(QByteArray::fromStdString(
                             quorvel::outputNameFor(observation, previous))))
        return;
    EdObs_LostFocus();
}

void KCR1::setObservationName(const QString& path) {
    // The output name follows, so that it never names an earlier job's file.
    EdObs->setText(path);
    EdObs_LostFocus();
}

void KCR1::closeEvent(QCloseEvent* event) {
    // The close control asks like Exit; Cancel keeps everything running. Once the
    // user has said OK, ending the program closes the window without a second question.
    if (!m_quitting && !confirmQuit()) {
        event->ignore();
        return;
    }
    event->accept();
    // The view goes with the window: that is no choice of the user's to keep.
    disconnect(m_incomingDock->toggleViewAction(), nullptr, this, nullptr);
    endProgram();
}

void KCR1::endProgram() {
    // Ending the program closes its windows, and this one again: end it once.
    if (m_quitRequested) return;
    m_quitRequested = true;
    m_services.quit();
}

bool KCR1::confirmQuit() {
    const platform::Answer answer =
        m_services.dialogs.message(QStringLiteral("Really want to quit?"), platform::Icon::Question,
                                   platform::Buttons::OkCancel, QStringLiteral("Quit?"));
    if (answer != platform::Answer::Ok) return false;
    m_quitting = true;
    m_reception->stopTimer();
    closeEverything();
    return true;
}
