// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings window: serial line, output layout and default folder. Every choice
// is written into RunSettings the moment it is made; O.K. says so to the main
// window (which refreshes its status text) and leaves. Cancel, Escape and the close
// control put back what the window showed when it opened.

#include <QDialog>
#include <memory>

#include "app/Module1.h"
#include "platform/Dialogs.h"
#include "platform/Drives.h"
#include "platform/Preferences.h"
#include "platform/SerialPort.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
namespace platform {
class FolderList;
}

class Comset : public QDialog {
    Q_OBJECT
public:
    /// What the window works with besides the settings it edits.
    struct Context {
        platform::Dialogs& dialogs;                          // the unreadable-drive message
        platform::DriveLister drives;                        // the drives offered
        platform::PortResolver resolver;                     // the COM buttons' tooltips
        QString homeFolder;                                  // drive C:
        std::shared_ptr<platform::Preferences> preferences;  // axes, remembered settings
    };
    /// Builds and loads the window (its first opening).
    Comset(RunSettingsRecord& settings, Context context, QWidget* parent);

    /// The help text on display, lines joined by a carriage return.
    QString helpText() const { return m_help; }
    /// The help text of output layout `index` (0..2).
    static QString helpFor(int index);
    /// The serial summary that O.K. writes into panel 2 of the main window.
    static QString statusText(const RunSettingsRecord& settings);
    /// Room for the drive names and folders where the screen has it.
    QSize sizeHint() const override;

public slots:
    void cbBaud_Click(int index);
    void cbParity_Click(int index);
    void cbWord_Click(int index);
    void cbStop_Click(int index);
    void Port_Click(int index);
    void cbOut_Click(int index);
    void cbOut_MouseMove(int index);
    /// 0: X east, Y north; 1: X north, Y east. Remembered for the next run.
    void cbAxes_Click(int index);
    void Drive1_Change(int index);
    void Dir1_Change(const QString& path);
    void edDefPath_Change(const QString& text);
    void CmdOK_Click();
    /// Puts back the settings and controls of the opening, then leaves.
    void cmdCancel_Click();
    /// Escape and the close control cancel.
    void reject() override;

signals:
    /// O.K.: the settings in force are the ones to show.
    void settingsAccepted();
    /// The output format changed from `previous` (1..6).
    void outputFormatChanged(int previous);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildLayout();
    void Form_Load();
    void setHelp(const QString& text);
    void fillDrives();
    void describePorts();
    /// Selects the buttons of the settings in force.
    void showChoices();
    /// What the window shows and has written, as it opens: Cancel puts it back.
    void takeSnapshot();

    struct Snapshot {
        SerialSettings serial;
        std::int16_t outputFormat = 0;
        QString defaultPath;
        quorvel::Axes axes = quorvel::Axes::XEastYNorth;
        QString path;    // the path field
        QString folder;  // the folder list
        int drive = -1;
        bool remember = false;
        QString help;
    };

    RunSettingsRecord& m_settings;
    Context m_context;

    QGroupBox* Frame1 = nullptr;
    QGroupBox* Frame2 = nullptr;
    QGroupBox* Frame3 = nullptr;
    QGroupBox* Frame4 = nullptr;
    QGroupBox* Frame5 = nullptr;
    QGroupBox* Frame6 = nullptr;
    QGroupBox* Frame7 = nullptr;
    QGroupBox* Frame8 = nullptr;
    QGroupBox* Frame9 = nullptr;
    QButtonGroup* cbBaud = nullptr;
    QButtonGroup* cbParity = nullptr;
    QButtonGroup* cbWord = nullptr;
    QButtonGroup* cbStop = nullptr;
    QButtonGroup* Port = nullptr;
    QButtonGroup* cbOut = nullptr;
    QButtonGroup* cbAxes = nullptr;
    QLabel* lblHelp = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* edDefPath = nullptr;
    QComboBox* Drive1 = nullptr;
    platform::FolderList* Dir1 = nullptr;
    QPushButton* CmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;
    QCheckBox* chkRemember = nullptr;

    QString m_help;
    // The drive in force, restored when another one cannot be read.
    int m_drive = -1;
    Snapshot m_opened;
    // The program moves the controls back: no choice of the user's.
    bool m_restoring = false;
    // The user chose a folder since the opening (a remembered one that is gone is
    // replaced only then).
    bool m_folderChosen = false;
};
