// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings window: serial line, output layout, axes and default folder. It edits
// a copy of the settings; O.K. hands the copy to the main window, which runs with it
// from then on. Cancel, Escape and the close control put back what the window showed
// when it opened, and hand nothing over.

#include <QDialog>
#include <memory>

#include "core/settings.h"
#include "platform/Drives.h"
#include "platform/Preferences.h"
#include "platform/Prompts.h"
#include "platform/SerialPort.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
namespace platform {
class FolderList;
}

class Comset : public QDialog {
    Q_OBJECT
public:
    /// What the window works with besides the settings it edits.
    struct Context {
        platform::Prompts& prompts;                          // the unreadable-drive message
        platform::DriveLister drives;                        // the drives offered
        platform::PortResolver resolver;                     // the COM buttons' tooltips
        QString homeFolder;                                  // drive C:
        std::shared_ptr<platform::Preferences> preferences;  // axes, remembered settings
    };
    /// Builds and loads the window (its first opening) on the settings in force.
    Comset(const quorvel::RunSettings& settings, Context context, QWidget* parent);

    /// The settings as the window shows them.
    const quorvel::RunSettings& settings() const { return m_settings; }

    /// The help text on display, lines joined by a carriage return.
    QString helpText() const { return m_help; }
    /// The help text of output format `index` (0..5).
    static QString helpFor(int index);
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
    /// 0: X east, Y north; 1: X north, Y east. Remembered for the next run on O.K.
    void cbAxes_Click(int index);
    /// 0: none; 1: XON/XOFF; 2: RTS/CTS. For receiving and sending alike.
    void cbFlow_Click(int index);
    /// The pause after each line sent to the instrument, in milliseconds.
    void spnDelay_Change(int ms);
    void Drive1_Change(int index);
    void Dir1_Change(const QString& path);
    void edDefPath_Change(const QString& text);
    void CmdOK_Click();
    /// Puts back the settings and controls of the opening, then leaves.
    void cmdCancel_Click();
    /// Escape and the close control cancel.
    void reject() override;

signals:
    /// O.K.: the program runs with `settings` from now on.
    void accepted(const quorvel::RunSettings& settings);

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
        quorvel::RunSettings settings;
        QString path;    // the path field
        QString folder;  // the folder list
        int drive = -1;
        bool remember = false;
        QString help;
    };

    quorvel::RunSettings m_settings;  // as the window shows it
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
    QGroupBox* Frame10 = nullptr;
    QButtonGroup* cbBaud = nullptr;
    QButtonGroup* cbParity = nullptr;
    QButtonGroup* cbWord = nullptr;
    QButtonGroup* cbStop = nullptr;
    QButtonGroup* Port = nullptr;
    QButtonGroup* cbOut = nullptr;
    QButtonGroup* cbAxes = nullptr;
    QButtonGroup* cbFlow = nullptr;
    QLabel* Label2 = nullptr;
    QSpinBox* spnDelay = nullptr;
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
