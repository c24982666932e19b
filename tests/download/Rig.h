#pragma once
// A main window with a temporary folder as drive C:, on a scripted or a real port,
// and one-line views of what it shows.

#include <sys/resource.h>

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <type_traits>
#include <utility>

#include "Scripted.h"
#include "app/KCR1.h"
#include "platform/QtSerialPort.h"

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

/// While it lives, no file may grow past `bytes`: writes fail as on a full disk.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &old);
        const rlimit low{bytes, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &low);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
    rlimit old{};
};

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

template <typename Port>
Port makePort(const platform::PortResolver& resolver) {
    if constexpr (std::is_constructible_v<Port, platform::PortResolver>)
        return Port(resolver);
    else
        return Port();
}

/// `resolver` gives the device a COM name stands for (a real port only).
template <typename Port, typename Dialogs = testing_support::ScriptedDialogs>
struct Rig {
    explicit Rig(platform::PortResolver r = platform::resolveComPort)
        : resolver(std::move(r)), window(module, {dialogs, port, editor, resolver, dir.path()}) {}
    QString home() const { return dir.path(); }
    QString at(const QString& name) const { return dir.path() + u'/' + name; }
    QString capturePath() const { return at(u"$R55.tmp"_s); }
    qint64 captured() const { return QFileInfo(capturePath()).size(); }
    bool ended() const { return c.lblStat->text() == u"end"_s && !port.isOpen(); }

    QTemporaryDir dir;
    Module1 module;
    Dialogs dialogs;
    platform::PortResolver resolver;
    Port port = makePort<Port>(resolver);
    testing_support::ScriptedLauncher editor;
    KCR1 window;
    Controls c{window};
};
using ScriptedRig = Rig<testing_support::ScriptedSerialPort>;

/// The reception in one line: button, panel 1, lblStat, lblTime, then those of
/// port (open), capture (open), idle and timer (running) that hold.
template <typename R>
QString state(R& r) {
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

/// The texts of the messages shown; one that is not a "Problem" with the critical
/// icon is marked, a question ends in " [Yes/No]".
inline QStringList shown(const testing_support::ScriptedDialogs& d) {
    QStringList out;
    for (const auto& m : d.messages) {
        const bool problem = m.caption == u"Problem"_s && m.icon == platform::Icon::Critical;
        out << (problem ? u""_s : u"NOT A PROBLEM: "_s) + m.text +
                   (m.buttons == platform::Buttons::Ok      ? u""_s
                    : m.buttons == platform::Buttons::YesNo ? u" [Yes/No]"_s
                                                            : u" [OK/Cancel]"_s);
    }
    return out;
}

}  // namespace download_tests
