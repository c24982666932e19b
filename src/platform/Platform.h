// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The platform services a main window works with, handed to it at construction.

#include <QString>
#include <functional>
#include <memory>

#include "Dialogs.h"
#include "Drives.h"
#include "EditorLauncher.h"
#include "Preferences.h"
#include "SerialPort.h"

namespace platform {

/// Ends the program: leaves the event loop of the application.
void quitApplication();

struct Services {
    Dialogs& dialogs;
    SerialPort& port;
    EditorLauncher& editor;
    PortResolver resolver = resolveComPort;
    /// The folder that stands for drive C: (the user's home folder), no closing separator.
    QString homeFolder;
    /// The drives the settings window offers.
    DriveLister drives = listDrives;
    /// Ends the program once Exit has closed everything (tests observe it).
    std::function<void()> quit = quitApplication;
    /// What the program remembers between runs; tests keep it in memory.
    std::shared_ptr<Preferences> preferences = std::make_shared<MemoryPreferences>();
};

/// The user's home folder without a closing separator.
QString homeFolder();
/// The platform's folder separator ("\" on Windows, "/" elsewhere).
QChar separator();

}  // namespace platform
