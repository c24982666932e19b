#pragma once
// A main window on scripted services with a temporary folder as drive C:, and short
// descriptions of what it shows.

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <utility>

#include "Scripted.h"
#include "app/KCR1.h"

namespace download_tests {

using namespace Qt::StringLiterals;

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

/// The reception in one line: button, panel 1, lblStat, lblTime, then those of
/// port (open), capture (open), idle and timer (running) that hold.
template <typename Rig>
QString state(Rig& r) {
    QString s = QStringList{r.c.cmdReceive->text(), r.window.panel(1), r.c.lblStat->text(),
                            r.c.lblTime->text()}
                    .join(u" | "_s) +
                u" |"_s;
    for (const auto& [on, name] : {std::pair{r.port.isOpen(), "port"},
                                   {r.window.captureOpen(), "capture"},
                                   {r.module.RunSettings.DownloadIdle, "idle"},
                                   {r.c.Timer1->isActive(), "timer"}})
        if (on) s += u' ' + QLatin1String(name);
    return s;
}

/// The messages shown, each as its text; one that is not a "Problem" with the critical
/// icon is marked, and a question ends in " [Yes/No]".
inline QStringList shown(const testing_support::ScriptedDialogs& d) {
    QStringList out;
    for (const auto& m : d.messages) {
        const bool problem = m.caption == u"Problem"_s && m.icon == platform::Icon::Critical;
        out << (problem ? u""_s : u"NOT A PROBLEM: "_s) + m.text +
                   (m.buttons == platform::Buttons::Ok      ? u""_s
                    : m.buttons == platform::Buttons::YesNo ? u" [Yes/No]"_s
                                                            : u" [other buttons]"_s);
    }
    return out;
}

struct ScriptedRig {
    ScriptedRig() : window(module, {dialogs, port, editor, platform::resolveComPort, dir.path()}) {}
    QString home() const { return dir.path(); }
    QString at(const QString& name) const { return dir.path() + u'/' + name; }
    QString capturePath() const { return at(u"$R55.tmp"_s); }

    QTemporaryDir dir;
    Module1 module;
    testing_support::ScriptedDialogs dialogs;
    testing_support::ScriptedSerialPort port;
    testing_support::ScriptedLauncher editor;
    KCR1 window;
    Controls c{window};
};

}  // namespace download_tests
