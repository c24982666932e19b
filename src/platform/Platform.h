#pragma once
// The platform services a main window works with, handed to it at construction.

#include <QString>

#include "Dialogs.h"
#include "EditorLauncher.h"
#include "SerialPort.h"

namespace platform {

struct Services {
    Dialogs& dialogs;
    SerialPort& port;
    EditorLauncher& editor;
    PortResolver resolver = resolveComPort;
    /// The folder that stands for drive C: (the user's home folder), no closing separator.
    QString homeFolder;
};

/// The user's home folder without a closing separator.
QString homeFolder();
/// The platform's folder separator ("\" on Windows, "/" elsewhere).
QChar separator();

}  // namespace platform
