// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <cstdio>

#include "app/CommandLine.h"
#include "app/KCR1.h"
#include "core/settings.h"
#include "platform/QtSerialPort.h"

int main(int argc, char* argv[]) {
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));
    // --help and --version answer before any window (or display) is needed.
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    CommandLine line = parseCommandLine(args, false);
    if (line.action != CommandLine::Action::Run) {
        std::fputs(line.text.toLocal8Bit().constData(), stdout);
        return 0;
    }

    // The toolkit takes its own arguments (-platform and the like); the rest are ours.
    QApplication app(argc, argv);
    line = parseCommandLine(QApplication::arguments(), true);
    if (line.action == CommandLine::Action::Wrong) {
        std::fputs(line.text.toLocal8Bit().constData(), stderr);
        return 2;
    }

    quorvel::Module1 module;
    platform::QtDialogs dialogs;
    platform::QtSerialPort port;
    platform::QtEditorLauncher editor;
    KCR1 window(module, {dialogs, port, editor, platform::resolveComPort, platform::homeFolder(),
                         platform::listDrives, platform::quitApplication,
                         std::make_shared<platform::QtPreferences>()});
    dialogs.setParent(&window);
    // A file given to open, by the desktop (a double-click) or a shell.
    if (!line.file.isEmpty()) window.setObservationName(line.file);
    window.show();
    return QApplication::exec();
}
