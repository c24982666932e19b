#include <QApplication>

#include "app/KCR1.h"
#include "app/Module1.h"
#include "platform/QtSerialPort.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvel"));
    QApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION));

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
