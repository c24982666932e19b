// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the main window, the settings window and the about window into PNG files
// for the README, with fixed demo content (a made-up surveyor's home folder, ports
// and a USB stick), so the pictures never show the machine they were made on.
//
//   build/tools/quorvel-screenshots docs/ [SAMPLE.obs]
//
// With an observation file, the points window shows its points too.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryFile>
#include <QTimer>
#include <cstdio>

#include "app/IncomingView.h"
#include "app/KCR1.h"
#include "core/settings.h"
#include "platform/FolderList.h"
#include "platform/QtSerialPort.h"
#include "points/frmPoints.h"
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
    // Offscreen on a screen of a common size, where each window opens at its own size.
    QTemporaryFile screen;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        const QByteArray config =
            R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1920, "height": 1080,)"
            R"( "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})";
        const bool made = screen.open() && screen.write(config) == config.size() && screen.flush();
        qputenv("QT_QPA_PLATFORM",
                made ? "offscreen:configfile=" + QFile::encodeName(screen.fileName())
                     : QByteArray("offscreen"));
    }
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

    quorvel::Module1 module;
    platform::QtDialogs dialogs;
    platform::QtEditorLauncher editor;
    // A pseudo-terminal plays the instrument for the pictures of a download.
    const int instrument = posix_openpt(O_RDWR | O_NOCTTY);
    if (instrument < 0 || grantpt(instrument) != 0 || unlockpt(instrument) != 0) return 1;
    termios raw{};
    if (tcgetattr(instrument, &raw) == 0) cfmakeraw(&raw), tcsetattr(instrument, TCSANOW, &raw);
    const QString line = QString::fromLocal8Bit(ptsname(instrument));
    bool downloading = false;
    auto resolver = [&](const QString& com) {
        if (downloading) return line;
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
    platform::QtSerialPort port(resolver);
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
    about->hide();

    // The points of a real survey, one of them picked in the table.
    if (argc > 2) {
        module.RunSettings.OutputFormat = quorvel::OutputFormat::Autocogo1;
        window.setObservationName(QString::fromLocal8Bit(argv[2]));
        window.cmdViewPoints_Click();
        auto* points = window.findChild<frmPoints*>();
        auto* table = points->findChild<QTableView*>(QStringLiteral("tblPoints"));
        settle(300);
        table->selectRow(40);
        settle(300);
        ok = save(*points, QDir(outDir).filePath(QStringLiteral("points.png"))) && ok;
        points->hide();
    }

    // A download part way: the first records of a job, then a pause of the instrument.
    downloading = true;
    const auto send = [&](const QByteArray& bytes) {
        return ::write(instrument, bytes.constData(), size_t(bytes.size())) == bytes.size();
    };
    const QByteArray job =
        "\x02"
        "00NMSDR33 V04-04.02     06-Dec-26 09:12 211111\r\n"
        "10NMBRIDGE01        121111\r\n"
        "02TP            10005000.000        2000.000        100.000         1.500           "
        "TRIG\r\n"
        "09F1            1000            100112.345          90.1234         45.6789         "
        "PEG\r\n"
        "08KI            10015008.7325       2008.7294       99.861          PEG\r\n"
        "08KI            10025012.1180       2011.0412       99.874          KERB\r\n";
    const QString folder = QDir(home).filePath(QStringLiteral("Jobs"));
    module.RunSettings.DefaultPath = QFile::encodeName(folder).toStdString();
    window.findChild<QLineEdit*>(QStringLiteral("EdObs"))->clear();
    window.findChild<QLineEdit*>(QStringLiteral("EdOut"))->clear();
    window.cmdReceive_Click();
    settle(300);
    ok = send(job) && ok;
    settle(4400);  // the counts a few seconds on, the instrument quiet meanwhile
    window.findChild<IncomingView*>()->flush();
    ok = save(window, QDir(outDir).filePath(QStringLiteral("download.png"))) && ok;
    window.cmdReceive_Click();  // Stop

    // The same job at the wrong speed: what a 38400-baud line makes of a 9600-baud station.
    window.cmdReceive_Click();
    settle(300);
    QByteArray garbage;
    for (int i = 0; i < 40; ++i)
        garbage += QByteArray::fromHex("8000f0c0001e0ff878e08078000e3ce08080781e00f880fe");
    ok = send(garbage) && ok;
    settle(600);
    window.findChild<IncomingView*>()->flush();
    ok = save(window, QDir(outDir).filePath(QStringLiteral("garbled.png"))) && ok;
    window.cmdReceive_Click();
    QFile::remove(QDir(folder).filePath(QStringLiteral("$R55.tmp")));

    // Points for stake-out going to the instrument, part way, the confirmation answered.
    const QString stake = QDir(folder).filePath(QStringLiteral("ROAD-A12/STAKE01.csv"));
    QByteArray points = "Point,Easting,Northing,Z,Code\r\n";
    for (int i = 1; i <= 30; ++i)
        points += QByteArray::number(200 + i) + ',' + QByteArray::number(2000 + i * 12.5, 'f', 3) +
                  ',' + QByteArray::number(5000 + i * 3.25, 'f', 3) + ",101.250,KERB\r\n";
    QFile csv(stake);
    ok = csv.open(QIODevice::WriteOnly) && csv.write(points) == points.size() && ok;
    csv.close();
    module.RunSettings.LineDelay = 400;
    window.setObservationName(stake);
    QTimer::singleShot(300, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->button(QMessageBox::Ok)->click();
    });
    window.findChild<QPushButton*>(QStringLiteral("cmdSend"))->click();
    settle(4000);
    ok = save(window, QDir(outDir).filePath(QStringLiteral("sending.png"))) && ok;
    window.findChild<QPushButton*>(QStringLiteral("cmdSend"))->click();  // Stop
    QFile::remove(stake);
    QFile::remove(QDir(folder).filePath(QStringLiteral("ROAD-A12/STAKE01-sent.sdr")));
    ::close(instrument);
    return ok ? 0 : 1;
}
