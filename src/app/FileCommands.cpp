// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's commands: Convert and View Points, Browse, Clear, Edit File,
// Settings, About, Exit, and the output name proposed when the observation field is left.
#include <QCloseEvent>
#include <QDockWidget>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTimer>
#include <ctime>

#include "app/KCR1.h"
#include "app/frmAbout.h"
#include "core/output_name.h"
#include "download/Download.h"
#include "points/frmPoints.h"
#include "send/Sender.h"
#include "settings/Comset.h"

void KCR1::CmdCon_Click() {
    const ConvertCommand::Outcome outcome =
        m_convert.convert(EdObs->text(), EdOut->text(), m_module.RunSettings);
    using O = ConvertCommand::Outcome;
    if (outcome == O::NoObservation) EdObs->setFocus();
    if (outcome == O::NoOutput) EdOut->setFocus();
    // The download's count of lines goes on from the lines this conversion read.
    if (m_convert.counts()) m_download->setLineCount(m_convert.counts()->LineCount);
    if (outcome == O::Converted && m_pointsAfterConvert) viewPoints(EdObs->text());
}

void KCR1::cmdViewPoints_Click() {
    if (EdObs->text().isEmpty()) {
        m_prompts.problem(QStringLiteral("Empty field of Observation File"));
        EdObs->setFocus();
        return;
    }
    viewPoints(EdObs->text());
}

void KCR1::cmdSend_Click() {
    if (m_sender->state() == Sender::State::Sending) {
        m_sender->stop();
        return;
    }
    if (EdObs->text().isEmpty()) {
        m_prompts.problem(QStringLiteral("Empty field of Observation File"));
        EdObs->setFocus();
        return;
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    std::optional<SendCommand::Ready> ready =
        m_send.prepare(EdObs->text(), m_module.RunSettings, local);
    if (!ready) return;
    QString error;
    if (!m_sender->start(ready->lines, ready->headerLines, m_module.RunSettings.Line,
                         m_module.RunSettings.LineDelay, &error)) {
        m_prompts.problem(QStringLiteral("The serial port could not be opened!\r%1").arg(error));
        return;
    }
    // A record that cannot be kept is no record: the instrument gets nothing unrecorded.
    if (!m_send.keepRecord(*ready)) m_sender->stop();
}

void KCR1::viewPoints(const QString& observation) {
    std::optional<quorvel::PointList> list = m_convert.points(observation, m_module.RunSettings);
    if (!list) return;
    if (!m_points) {
        m_points = new frmPoints(m_services.dialogs, this);
        m_points->setShowAfterConvert(m_pointsAfterConvert);
        connect(m_points, &frmPoints::showAfterConvertChanged, this, [this](bool on) {
            m_pointsAfterConvert = on;
            m_services.preferences->setValue(QStringLiteral("pointsAfterConvert"),
                                             on ? QStringLiteral("on") : QStringLiteral("off"));
        });
    }
    m_points->showPoints(observation, std::move(*list), m_module.RunSettings.AxisOrder);
}

void KCR1::CmdBrowse1_Click() {
    // Where the field's file is, else where downloads go: never the folder the program
    // happened to be started from.
    const QFileInfo field(EdObs->text());
    QString folder = EdObs->text().isEmpty() ? QString() : field.absolutePath();
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QFile::decodeName(QByteArray::fromStdString(m_module.RunSettings.DefaultPath));
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
        m_prompts.problem(QStringLiteral("No file name!"));
        EdOut->setFocus(Qt::OtherFocusReason);
        return;
    }
    // The path is one argument of the editor's process, never read by a shell.
    switch (m_services.editor.start(path)) {
        case platform::LaunchResult::Started:
            return;
        case platform::LaunchResult::FileNotFound:
        case platform::LaunchResult::PathNotFound:
            m_prompts.problem(
                QStringLiteral("File Not Found or invalid path!\rPlease select again! "));
            return;
        case platform::LaunchResult::Failed: {
            // Where the platform says what it tried, the user learns how to set an editor.
            const QStringList tried = m_services.editor.tried();
            m_prompts.problem(
                tried.isEmpty()
                    ? QStringLiteral(
                          "Could not found Notepad on this computer!\rPlease Contact Varnel HK! ")
                    : QStringLiteral("Could not find a text editor on this computer!\rTried ") +
                          tried.join(QStringLiteral(", ")) +
                          QStringLiteral(".\rSet one in VISUAL (for example VISUAL=gedit in "
                                         "~/.profile), or choose a default application for "
                                         "text files in the desktop's settings."));
            return;
        }
    }
}

void KCR1::cmdSettings_Click() {
    if (m_comset == nullptr) {
        m_comset = new Comset(m_module.RunSettings,
                              {m_prompts, m_services.drives, m_services.resolver,
                               m_services.homeFolder, m_services.preferences},
                              this);
        connect(m_comset, &Comset::accepted, this, [this](const quorvel::RunSettings& settings) {
            applySettings(settings);
            show();
            raise();
            activateWindow();
        });
    }
    m_comset->show();
    m_comset->raise();
    m_comset->activateWindow();
}

void KCR1::applySettings(const quorvel::RunSettings& settings) {
    const quorvel::OutputFormat previous = m_module.RunSettings.OutputFormat;
    m_module.RunSettings = settings;
    setPanel(2, QString::fromStdString(quorvel::statusText(settings.Line)));
    // An output name still as proposed for the format follows the new format's
    // extension; a name of the user's own stays.
    const std::string observation = QFile::encodeName(EdObs->text()).toStdString();
    if (settings.OutputFormat != previous && !EdObs->text().isEmpty() &&
        EdOut->text() == QFile::decodeName(QByteArray::fromStdString(
                             quorvel::outputNameFor(observation, previous))))
        EdObs_LostFocus();
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
    if (!m_prompts.confirm(QStringLiteral("Really want to quit?"), QStringLiteral("Quit?")))
        return false;
    m_quitting = true;
    m_download->stopTimer();
    closeEverything();
    return true;
}
