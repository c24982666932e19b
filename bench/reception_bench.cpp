// SPDX-License-Identifier: GPL-3.0-or-later
// A reception at full speed: quorvel-station-sim sends a large file through a
// pseudo-terminal into the real main window and serial port (offscreen). Prints the
// throughput, checks that the capture holds exactly the bytes sent, and measures
// the longest stall of the event loop with a 10 ms timer, with the status panel's
// counts and the incoming-data view drawing as they do for the user.
//
//   build/bench/reception_bench [megabytes] [--no-view]     (default 16, view shown)
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "BenchServices.h"
#include "app/IncomingView.h"
#include "app/KCR1.h"
#include "download/Download.h"
#include "platform/QtSerialPort.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    const bool view = !args.contains(QStringLiteral("--no-view"));
    const qint64 megabytes =
        args.isEmpty() || args[0].startsWith(QLatin1Char('-')) ? 16 : args[0].toLongLong();
    const qint64 size = qMax<qint64>(1, megabytes) * 1024 * 1024;

    QTemporaryDir dir;
    // Every byte value but ETX, which would end the reception.
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator rng(42);
    for (char& c : data) {
        c = static_cast<char>(rng.bounded(256));
        if (c == 3) c = 4;
    }
    const QString source = dir.path() + QStringLiteral("/data.bin");
    {
        QFile f(source);
        if (!f.open(QIODevice::WriteOnly) || f.write(data) != size) return 1;
    }

    QProcess sim;
    sim.start(QStringLiteral(QUORVEL_STATION_SIM),
              {QStringLiteral("--pty"), QStringLiteral("--no-pace"), QStringLiteral("--no-etx"),
               QStringLiteral("--chunk"), QStringLiteral("65536"), QStringLiteral("--linger"),
               QStringLiteral("30"), source});
    if (!sim.waitForReadyRead(5000)) return 1;
    const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();

    quorvel::Module1 module;
    bench::AnsweringDialogs dialogs;
    platform::PortResolver resolver = [device](const QString&) { return device; };
    platform::QtSerialPort port(resolver);
    bench::NoEditor editor;
    auto preferences = std::make_shared<platform::MemoryPreferences>();
    preferences->setValue(QStringLiteral("incomingView"),
                          view ? QStringLiteral("shown") : QStringLiteral("hidden"));
    KCR1 window(module, {dialogs, port, editor, resolver, dir.path(), platform::listDrives, [] {},
                         preferences});
    window.show();
    int panelUpdates = 0;
    QObject::connect(window.findChild<Download*>(), &Download::progressChanged,
                     [&] { ++panelUpdates; });

    const QString capture = dir.path() + QStringLiteral("/$R55.tmp");
    const qint64 expected = size + 1;  // the STX first
    QElapsedTimer clock;
    qint64 events = 0, firstByte = -1, lastByte = -1, longestStall = 0, lastTick = -1;
    QObject::connect(&port, &platform::SerialPort::commEvent, [&] {
        ++events;
        if (firstByte < 0) firstByte = clock.nsecsElapsed();
        lastByte = clock.nsecsElapsed();
    });
    QTimer ticker;
    ticker.setInterval(10);
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastTick >= 0 && firstByte >= 0) longestStall = qMax(longestStall, now - lastTick);
        lastTick = now;
        if (QFileInfo(capture).size() >= expected || dialogs.shown > 0 || now > 60'000'000'000LL)
            app.quit();
    });
    clock.start();
    window.findChild<QPushButton*>(QStringLiteral("cmdReceive"))->click();
    ticker.start();
    app.exec();
    window.findChild<QPushButton*>(QStringLiteral("cmdReceive"))->click();  // Stop
    sim.waitForFinished(5000);
    auto* incoming = window.findChild<IncomingView*>();
    incoming->flush();
    const QString shown = incoming->text();

    QFile f(capture);
    const QByteArray got = f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    const bool exact = got.size() == expected && got.at(0) == '\x02' && got.mid(1) == data;
    const double seconds = double(lastByte - firstByte) / 1e9;
    std::printf("sent       %lld bytes (%lld MiB) in %lld port events\n",
                static_cast<long long>(expected), static_cast<long long>(megabytes),
                static_cast<long long>(events));
    std::printf("received   %lld bytes, %s\n", static_cast<long long>(got.size()),
                exact ? "identical" : "DIFFERENT");
    std::printf("throughput %.1f MB/s (%.3f s from first to last chunk)\n",
                double(expected) / 1e6 / seconds, seconds);
    std::printf("longest event-loop stall %.1f ms (limit 50 ms)\n", double(longestStall) / 1e6);
    std::printf("status panel 3 (%d updates): %s\n", panelUpdates,
                qPrintable(window.findChild<QLabel*>(QStringLiteral("Panel3"))->text()));
    std::printf("incoming view %s: %lld lines, %lld characters kept\n", view ? "shown" : "hidden",
                static_cast<long long>(shown.count(QLatin1Char('\n'))),
                static_cast<long long>(shown.size()));
    return exact && longestStall < 50'000'000 ? 0 : 1;
}
