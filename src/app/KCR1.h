// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: the two file fields, the download and the commands around them.
// Handlers carry the names of the control and event they answer.

#include <QMainWindow>
#include <memory>

#include "convert/ConvertCommand.h"
#include "send/SendCommand.h"
#include "core/settings.h"
#include "platform/Platform.h"
#include "platform/Prompts.h"

class QButtonGroup;
class QDockWidget;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class Comset;
class Download;
class Sender;
class ElidedLabel;
class IncomingView;
class frmAbout;
class frmPoints;

class KCR1 : public QMainWindow {
    Q_OBJECT
public:
    /// `module` holds the settings the program runs with; the window replaces them when
    /// the settings window's O.K. hands over new ones.
    KCR1(quorvel::Module1& module, platform::Services services, QWidget* parent = nullptr);
    ~KCR1() override;

    /// Puts `path` into the observation field and the output name it gives into the
    /// output field, as leaving the field does.
    void setObservationName(const QString& path);
    /// Wide enough for a download's status texts where the screen has the room.
    QSize sizeHint() const override;

public slots:
    void Form_Load();

    // Conversion
    void CmdCon_Click();
    void cmdViewPoints_Click();

    // Sending points to the instrument
    void cmdSend_Click();

    // Download
    void cmdReceive_Click();
    void MSComm1_OnComm(int kind);
    void MSComm1_LineLost(const QString& reason);
    void Timer1_Timer();
    void readdump();

    // File commands
    void CmdBrowse1_Click();
    void CmdClear_Click();
    void cmdEdit_Click();
    void cmdSettings_Click();
    void Command1_Click();
    void CmdExit_Click();
    void EdObs_LostFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void buildIncomingDock();
    /// Shows what the download reports: captions, the status bar, the fields, the bar.
    void connectDownload();
    /// Shows what the sending reports, and keeps a download and a sending apart.
    void connectSender();
    /// The settings window's O.K.: the program runs with `settings` from now on.
    void applySettings(const quorvel::RunSettings& settings);
    /// Asks "Really want to quit?"; on OK stops the timer and closes the port and files.
    bool confirmQuit();
    void endProgram();
    void closeEverything();
    /// Text of panel 1, 2 or 3 (the download's counts) of the status bar.
    void setPanel(int index, const QString& text);
    /// Reads `observation` as Convert would and shows its points.
    void viewPoints(const QString& observation);
    void showProgress(const QString& counts);

    quorvel::Module1& m_module;
    platform::Services m_services;
    platform::Prompts m_prompts;
    ConvertCommand m_convert;
    SendCommand m_send;

    // Controls, named as in the window's layout.
    QLabel* Label10 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* Image2 = nullptr;
    QLabel* Image3 = nullptr;
    QGroupBox* Frame1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* EdObs = nullptr;
    QPushButton* CmdBrowse1 = nullptr;
    QPushButton* cmdReceive = nullptr;
    QGroupBox* Frame2 = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* EdOut = nullptr;
    QPushButton* CmdCon = nullptr;
    QPushButton* cmdViewPoints = nullptr;
    QPushButton* cmdSend = nullptr;
    QPushButton* CmdClear = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdSettings = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* CmdExit = nullptr;
    QLabel* lblTime = nullptr;
    QLabel* lblStat = nullptr;
    QProgressBar* PB1 = nullptr;
    QStatusBar* SB1 = nullptr;
    ElidedLabel* m_panel1 = nullptr;
    ElidedLabel* m_panel2 = nullptr;
    ElidedLabel* m_panel3 = nullptr;
    QDockWidget* m_incomingDock = nullptr;
    IncomingView* m_incoming = nullptr;

    // Windows created at their first opening, then only hidden and shown.
    Comset* m_comset = nullptr;
    frmAbout* m_about = nullptr;
    frmPoints* m_points = nullptr;
    // "Show the points after converting", remembered between runs.
    bool m_pointsAfterConvert = false;

    // The download: port use, capture file, Timer1, counts, state, raw data file.
    Download* m_download = nullptr;
    // Points to the instrument, on the same port.
    Sender* m_sender = nullptr;
    // The reception's data looked garbled: panel 3 says so until the next one.
    QString m_garbled;
    // Where the reception kept an earlier transfer: the waiting count says so.
    QString m_keptNote;
    // The user confirmed the end of the program; closing the window asks no more.
    bool m_quitting = false;
    bool m_quitRequested = false;
};
