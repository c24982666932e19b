// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: the two file fields, the download and the commands around them.
// Handlers carry the names of the control and event they answer.

#include <QMainWindow>
#include <memory>
#include <optional>

#include "app/Module1.h"
#include "core/fileio.h"
#include "platform/Platform.h"

class QButtonGroup;
class QDockWidget;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTimer;
class Comset;
class ElidedLabel;
class IncomingView;
class Reception;
class frmAbout;
class frmPoints;

class KCR1 : public QMainWindow {
    Q_OBJECT
public:
    KCR1(Module1& module, platform::Services services, QWidget* parent = nullptr);
    ~KCR1() override;

    /// Text of panel 1, 2 or 3 (the download's counts) of the status bar.
    QString panel(int index) const;
    void setPanel(int index, const QString& text);

    Module1& module() { return m_module; }
    platform::Services& services() { return m_services; }
    /// Closes the port and every file the program holds open (the capture file).
    void closeEverything();
    /// Puts `path` into the observation field and the output name it gives into the
    /// output field, as leaving the field does.
    void setObservationName(const QString& path);
    /// The output format changed from `previous`: an output name still as proposed for
    /// it follows the new format's extension; a name of the user's own stays.
    void outputFormatChanged(int previous);
    /// Whether the capture file of a reception is open.
    bool captureOpen() const;
    /// Wide enough for a download's status texts where the screen has the room.
    QSize sizeHint() const override;
    Reception& reception() { return *m_reception; }
    IncomingView& incomingView() { return *m_incoming; }

public slots:
    void Form_Load();

    // Conversion
    void CmdCon_Click();
    void cmdViewPoints_Click();

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
    /// Asks "Really want to quit?"; on OK stops the timer and closes the port and files.
    bool confirmQuit();
    void endProgram();
    void showProblem(const QString& text);
    /// Reads `observation` as Convert would and shows its points.
    void viewPoints(const QString& observation);
    void connectReception();
    void buildIncomingDock();
    void showProgress(const QString& counts);
    // readdump helpers
    enum class DumpFailure { NotFound, Cancelled, Other };
    std::optional<DumpFailure> writeRawDataFile();
    void failDump(DumpFailure kind);

    Module1& m_module;
    platform::Services m_services;

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

    // The download: port use, capture file, Timer1, counts and state.
    Reception* m_reception = nullptr;
    // The reception's data looked garbled: panel 3 says so until the next one.
    QString m_garbled;
    // The user confirmed the end of the program; closing the window asks no more.
    bool m_quitting = false;
    bool m_quitRequested = false;
};
