// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QCommandLineParser>
#include <cstdio>

#include "app/KCR1.h"
#include "app/Module1.h"
#include "core/version.h"
#include "platform/QtSerialPort.h"

int main(int argc, char* argv[]) {
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));
    // --help and --version answer before any window (or display) is needed; other
    // arguments are left to Qt, which takes its own (-platform and the like).
    QStringList args;
    for (int i = 0; i < argc; ++i) args << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Downloads from a total station over a serial line and converts observation files\n"
        "into coordinate files. quorvel-convert converts from the command line."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    parser.addOptions({help, version});
    parser.parse(args);
    if (parser.isSet(help) || parser.isSet(version)) {
        // Without an application object the parser knows no program name.
        const QString text = parser.isSet(help)
                                 ? parser.helpText().replace(QStringLiteral("<executable_name>"),
                                                             QStringLiteral("quorvel"))
                                 : QString::fromStdString(quorvel::versionText("quorvel"));
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);

    Module1 module;
    platform::QtDialogs dialogs;
    platform::QtSerialPort port;
    platform::QtEditorLauncher editor;
    KCR1 window(module, {dialogs, port, editor, platform::resolveComPort, platform::homeFolder(),
                         platform::listDrives, platform::quitApplication,
                         std::make_shared<platform::QtPreferences>()});
    dialogs.setParent(&window);
    window.show();
    return QApplication::exec();
}
