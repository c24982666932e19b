#pragma once
// A main window on scripted services, with a temporary folder as drive C:.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>

#include "Scripted.h"
#include "app/KCR1.h"

namespace download_tests {

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

/// Controls of a main window, found by name.
struct Controls {
    explicit Controls(KCR1& w)
        : cmdReceive(w.findChild<QPushButton*>(QStringLiteral("cmdReceive"))),
          lblTime(w.findChild<QLabel*>(QStringLiteral("lblTime"))),
          lblStat(w.findChild<QLabel*>(QStringLiteral("lblStat"))),
          EdObs(w.findChild<QLineEdit*>(QStringLiteral("EdObs"))),
          EdOut(w.findChild<QLineEdit*>(QStringLiteral("EdOut"))),
          PB1(w.findChild<QProgressBar*>(QStringLiteral("PB1"))),
          Timer1(w.findChild<QTimer*>(QStringLiteral("Timer1"))) {}
    QPushButton* cmdReceive;
    QLabel* lblTime;
    QLabel* lblStat;
    QLineEdit* EdObs;
    QLineEdit* EdOut;
    QProgressBar* PB1;
    QTimer* Timer1;
};

struct ScriptedRig {
    ScriptedRig()
        : window(module, {dialogs, port, editor, platform::resolveComPort, dir.path()}),
          c(window) {}
    QString home() const { return dir.path(); }
    QString capturePath() const { return dir.path() + QStringLiteral("/$R55.tmp"); }

    QTemporaryDir dir;
    Module1 module;
    testing_support::ScriptedDialogs dialogs;
    testing_support::ScriptedSerialPort port;
    testing_support::ScriptedLauncher editor;
    KCR1 window;
    Controls c;
};

}  // namespace download_tests
