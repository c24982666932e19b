// SPDX-License-Identifier: GPL-3.0-or-later
// The window's Convert on a large job: the real main window (offscreen), its fields
// filled in and the Convert button clicked, with the replace question answered Yes
// and the closing message answered at once. The conversion runs inside the click on
// the GUI thread, so the time of the click is the time the window cannot respond.
//
//   build/bench/window_convert_bench OBSERVATION [runs] [layout]
// prints the median and the longest click of `runs` (default 5); then the same of
// View Points on the file: read, table and plan built, the window shown and painted.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchServices.h"
#include "app/KCR1.h"
#include "platform/QtSerialPort.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OBSERVATION [runs] [layout]\n", argv[0]);
        return 2;
    }
    const QString observation = QDir().absoluteFilePath(QString::fromLocal8Bit(argv[1]));
    const int runs = argc > 2 ? std::max(1, QString::fromLocal8Bit(argv[2]).toInt()) : 5;
    const int layout = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 1;

    QTemporaryDir dir;
    quorvel::Module1 module;
    module.RunSettings.OutputFormat =
        quorvel::outputFormatNumbered(layout).value_or(quorvel::OutputFormat::Autocogo1);
    bench::AnsweringDialogs dialogs;
    platform::PortResolver resolver = [](const QString& name) { return name; };
    platform::QtSerialPort port(resolver);
    bench::NoEditor editor;
    KCR1 window(module, {dialogs, port, editor, resolver, dir.path()});
    window.show();
    QApplication::processEvents();

    window.findChild<QLineEdit*>(QStringLiteral("EdObs"))->setText(observation);
    window.findChild<QLineEdit*>(QStringLiteral("EdOut"))->setText(dir.filePath("job.dat"));
    auto* convert = window.findChild<QPushButton*>(QStringLiteral("CmdCon"));
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        convert->click();
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
        QApplication::processEvents();
    }
    auto report = [&](const char* what, long long count, const char* counted) {
        std::sort(ms.begin(), ms.end());
        std::printf("%s: %.1f ms median of %d (best %.1f, longest %.1f), %lld %s\n", what,
                    ms[ms.size() / 2], runs, ms.front(), ms.back(), count, counted);
        ms.clear();
    };
    // "Lines read:  N" of the closing message.
    const QString said = dialogs.last;
    const long long lines =
        said.section(QStringLiteral("Lines read: "), 1).section(u'\r', 0, 0).trimmed().toLongLong();
    report("Convert on the GUI thread", lines, "lines");

    auto* view = window.findChild<QPushButton*>(QStringLiteral("cmdViewPoints"));
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        view->click();
        QWidget* points = window.findChild<QWidget*>(QStringLiteral("frmPoints"));
        if (points) points->repaint();
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
        QApplication::processEvents();
    }
    auto* table = window.findChild<QTableView*>(QStringLiteral("tblPoints"));
    report("View Points until painted", table ? table->model()->rowCount() : 0, "coordinate lines");
    return dialogs.problems == 0 && lines > 0 ? 0 : 1;
}
