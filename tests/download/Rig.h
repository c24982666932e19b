#pragma once
// A main window on scripted services, with a temporary folder as drive C:.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include "Scripted.h"
#include "app/KCR1.h"

namespace download_tests {

/// The file's bytes, or "<missing>".
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
    explicit Controls(KCR1& w) : w(w) {}
    template <typename T>
    T* get(const char* name) const {
        return w.findChild<T*>(QLatin1String(name));
    }
    KCR1& w;
    QPushButton* cmdReceive = get<QPushButton>("cmdReceive");
    QLabel* lblTime = get<QLabel>("lblTime");
    QLabel* lblStat = get<QLabel>("lblStat");
    QLineEdit* EdObs = get<QLineEdit>("EdObs");
    QLineEdit* EdOut = get<QLineEdit>("EdOut");
    QProgressBar* PB1 = get<QProgressBar>("PB1");
    QTimer* Timer1 = get<QTimer>("Timer1");
};

struct ScriptedRig {
    ScriptedRig() : window(module, {dialogs, port, editor, platform::resolveComPort, dir.path()}) {}
    QString home() const { return dir.path(); }
    QString at(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString capturePath() const { return at(QStringLiteral("$R55.tmp")); }

    QTemporaryDir dir;
    Module1 module;
    testing_support::ScriptedDialogs dialogs;
    testing_support::ScriptedSerialPort port;
    testing_support::ScriptedLauncher editor;
    KCR1 window;
    Controls c{window};
};

}  // namespace download_tests
