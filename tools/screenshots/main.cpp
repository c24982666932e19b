// Renders the main window, the settings window and the about window into PNG files
// for the README, with fixed demo content (a made-up surveyor's home folder, ports
// and a USB stick), so the pictures never show the machine they were made on.
//
//   build/tools/quorvel-screenshots docs/
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <cstdio>

#include "app/KCR1.h"
#include "app/Module1.h"
#include "platform/FolderList.h"
#include "platform/QtSerialPort.h"
#include "settings/Comset.h"

namespace {

void settle(int ms) {
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

// A plain title bar and border around a window's picture, as a desktop shows it.
QImage framed(const QWidget& window) {
    const QPixmap content = const_cast<QWidget&>(window).grab();
    const int bar = 28, border = 1;
    QImage image(content.width() + 2 * border, content.height() + bar + border,
                 QImage::Format_ARGB32);
    image.fill(QColor(0x5a, 0x6a, 0x7e));
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(QRect(border, border, content.width(), bar - border), QColor(0x2f, 0x3e, 0x52));
    QFont font = QApplication::font();
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(border + 10, border, content.width() - 60, bar - border),
               Qt::AlignVCenter | Qt::AlignLeft, window.windowTitle());
    // The close control.
    const QPointF c(image.width() - 18.0, bar / 2.0);
    p.setPen(QPen(Qt::white, 1.6));
    p.drawLine(c + QPointF(-4, -4), c + QPointF(4, 4));
    p.drawLine(c + QPointF(-4, 4), c + QPointF(4, -4));
    p.drawPixmap(border, bar, content);
    return image;
}

bool save(const QWidget& window, const QString& file) {
    const bool ok = framed(window).save(file);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "could not write",
                 qPrintable(file));
    return ok;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    if (!QDir().mkpath(outDir)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(outDir));
        return 1;
    }

    // The demo surveyor's home folder with a few job folders, at a fixed place so
    // that the pictures come out the same each time. Only what is made here is
    // removed afterwards.
    const QString base = QDir::tempPath() + QStringLiteral("/quorvel-demo");
    const QString home = base + QStringLiteral("/surveyor");
    QStringList made;  // newest first, so that each folder is empty when removed
    for (const char* folder :
         {"", "/surveyor", "/surveyor/Jobs", "/surveyor/Jobs/BRIDGE01", "/surveyor/Jobs/ROAD-A12",
          "/surveyor/Jobs/SITE-NORTH", "/surveyor/Exports", "/surveyor/Instrument backups"}) {
        const QString path = base + QLatin1String(folder);
        if (QDir(path).exists()) continue;
        if (!QDir().mkdir(path)) return 1;
        made.prepend(path);
    }
    struct Tidy {
        QStringList& folders;
        ~Tidy() {
            for (const QString& f : folders) QDir().rmdir(f);
        }
    } tidy{made};

    Module1 module;
    platform::QtDialogs dialogs;
    platform::QtSerialPort port;
    platform::QtEditorLauncher editor;
    auto resolver = [](const QString& com) {
        return com == QLatin1String("COM1")
                   ? QStringLiteral("/dev/ttyUSB0")
                   : QStringLiteral("/dev/ttyS%1").arg(com.mid(3).toInt() - 1);
    };
    auto drives = [](const QString& homeFolder) {
        return QList<platform::Drive>{
            {QStringLiteral("Home folder"), homeFolder},
            {QStringLiteral("File system"), QStringLiteral("/")},
            {QStringLiteral("SURVEY-USB"), QStringLiteral("/media/surveyor/SURVEY-USB")}};
    };
    KCR1 window(module, {dialogs, port, editor, resolver, home, drives, [] {}});
    dialogs.setParent(&window);
    window.findChild<QLineEdit*>(QStringLiteral("EdObs"))
        ->setText(QStringLiteral("/home/surveyor/Jobs/BRIDGE01/BRIDGE01.sdr"));
    window.findChild<QLineEdit*>(QStringLiteral("EdOut"))
        ->setText(QStringLiteral("/home/surveyor/Jobs/BRIDGE01/BRIDGE01.dat"));
    window.show();
    window.findChild<QPushButton*>(QStringLiteral("CmdCon"))->setFocus();
    settle(200);
    bool ok = save(window, QDir(outDir).filePath(QStringLiteral("main-window.png")));

    window.cmdSettings_Click();
    auto* settings = window.findChild<Comset*>();
    auto* folders = settings->findChild<platform::FolderList*>(QStringLiteral("Dir1"));
    folders->setPath(QDir(home).filePath(QStringLiteral("Jobs")));
    // The folder list fills in the background.
    QDeadlineTimer loaded(3000);
    while (!loaded.hasExpired() &&
           folders->fileSystem()->rowCount(folders->fileSystem()->index(folders->path())) < 3)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    settle(300);
    ok = save(*settings, QDir(outDir).filePath(QStringLiteral("settings.png"))) && ok;
    settings->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click();

    window.Command1_Click();
    auto* about = window.findChild<QWidget*>(QStringLiteral("frmAbout"));
    settle(200);
    ok = save(*about, QDir(outDir).filePath(QStringLiteral("about.png"))) && ok;
    return ok ? 0 : 1;
}
