// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A main window shown offscreen on scripted services (or the real message boxes and
// a real serial port), a temporary folder as drive C:, lookups of controls by name,
// one-line views of what the window shows, and answers to real modal windows.

#include <sys/resource.h>

#include <QtTest>
#include <QtWidgets>
#include <csignal>
#include <functional>

#include "Scripted.h"
#include "app/ElidedLabel.h"
#include "app/IncomingView.h"
#include "app/KCR1.h"
#include "download/Download.h"

namespace testing_support {

using namespace Qt::StringLiterals;

template <class T = QWidget>
T* child(const QObject* parent, const char* name) {
    return parent->findChild<T*>(QLatin1String(name));
}

/// The file's bytes, or "<missing>".
inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

inline bool writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(data) == data.size();
}

/// A job of `lines` R4 coordinate records, then END: 101 to 112 on one spot, the fifth
/// without an elevation; the thirteenth is 101 again, 78 m north of them.
inline QByteArray observations(int lines = 12) {
    QByteArray text;
    for (int i = 1; i <= lines; ++i)
        text += QString::asprintf(
                    "    R4    TR %3d  %c       %2d.259              59.620              %6s\r\n",
                    i == 13 ? 101 : 100 + i, i % 2 ? 'X' : 'y', i == 13 ? 99 : 21,
                    i == 5 ? "" : "11.256")
                    .toLatin1();
    return text + "END";
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

/// The serial line, layout and axes of the settings, as one line.
inline QString lineOf(const quorvel::RunSettings& rs) {
    const quorvel::LineSettings& l = rs.Line;
    static const char* const flows[] = {"none", "xonxoff", "rtscts"};
    return QString::asprintf("COM%d %d %c %d %d layout %d axes %s flow %s pause %d", l.port,
                             l.baudRate, quorvel::parityLetter(l.parity), l.dataBits, l.stopBits,
                             quorvel::numberOf(rs.OutputFormat),
                             rs.AxisOrder == quorvel::Axes::XEastYNorth ? "xeast" : "xnorth",
                             flows[static_cast<int>(l.flow)], rs.LineDelay);
}

/// A local path as a settings value holds it, and back.
inline std::string bytesOf(const QString& path) {
    return QFile::encodeName(path).toStdString();
}
inline QString pathOf(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

/// Waits (processing events) until `condition` holds or `ms` pass.
inline bool waitFor(const std::function<bool()>& condition, int ms = 5000) {
    for (QDeadlineTimer deadline(ms); !condition(); QTest::qWait(10))
        if (deadline.hasExpired()) return false;
    return true;
}

/// Answers the real modal windows that a click opens, one queued handler each (armed
/// before the click), and records the message boxes' titles and texts. A window with
/// no handler, or one its handler refuses, is rejected and counted as unexpected.
struct ModalAnswerer {
    using Handler = std::function<bool(QWidget* modal)>;
    ModalAnswerer() {
        QObject::connect(&timer, &QTimer::timeout, [this] { poll(); });
        timer.start(20);
    }
    /// The next message box: press the button of that caption.
    void pressButton(const QString& button) {
        handleNext([this, button](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            if (box == nullptr) return false;
            titles << box->windowTitle();
            texts << box->text();
            for (QAbstractButton* b : box->buttons())
                if (b->text().remove(u'&') == button) {
                    QTimer::singleShot(0, b, &QAbstractButton::click);
                    return true;
                }
            return false;
        });
    }
    void handleNext(Handler handler) { queue.push_back(std::move(handler)); }
    int pending() const { return int(queue.size()); }
    void poll() {
        QWidget* modal = QApplication::activeModalWidget();
        // A box on the same address as an earlier one is a new box: mark what was seen.
        if (modal == nullptr || !modal->isVisible() || modal->property("answered").toBool()) return;
        modal->setProperty("answered", true);
        if (!queue.empty()) {
            const Handler handler = std::move(queue.front());
            queue.erase(queue.begin());
            if (handler(modal)) return;
        }
        ++unexpected;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            QTimer::singleShot(0, dialog, &QDialog::reject);
        else
            QTimer::singleShot(0, modal, &QWidget::close);
    }
    QStringList titles, texts;
    int unexpected = 0;
    std::vector<Handler> queue;
    QTimer timer;
};

/// Chooses `path` in a real file dialog and accepts it, as a user types the name. The
/// dialog's folder loads in the background and refuses the choice until then: retry.
inline void chooseFile(QWidget* fileDialog, const QString& path) {
    auto* dialog = qobject_cast<QFileDialog*>(fileDialog);
    if (dialog == nullptr) return;
    const QFileInfo info(path);
    dialog->setDirectory(info.absolutePath());
    auto* retry = new QTimer(dialog);  // dies with the dialog
    QObject::connect(retry, &QTimer::timeout, dialog, [dialog, info] {
        if (auto* name = dialog->findChild<QLineEdit*>(u"fileNameEdit"_s))
            name->setText(info.fileName());
        QMetaObject::invokeMethod(dialog, "accept");
    });
    retry->start(50);
}

/// `Port` is the scripted port, or the real one on the device every COM name resolves to.
template <class Port = ScriptedSerialPort>
struct Rig {
    explicit Rig(bool realDialogs = false, const QString& device = {},
                 platform::EditorLauncher* launcher = nullptr,
                 std::shared_ptr<platform::Preferences> kept = {})
        : preferences(kept ? kept : std::make_shared<platform::MemoryPreferences>()),
          resolver([this, device](const QString& com) {
              return device.isEmpty() ? devices.value(com, com) : device;
          }),
          w(module, {realDialogs ? static_cast<platform::Dialogs&>(qtDialogs) : dialogs, port,
                     launcher ? *launcher : editor, resolver, dir.path(),
                     [this](const QString& home) {
                         return drives.isEmpty() ? platform::listDrives(home) : drives;
                     },
                     [this] {
                         ++quits;
                         if (onQuit) onQuit();
                     },
                     preferences}) {
        qtDialogs.setParent(&w);
        w.show();
        w.activateWindow();
    }
    QString home() const { return dir.path(); }
    QString at(const QString& name) const { return dir.filePath(name); }
    QString capturePath() const { return at(u"$R55.tmp"_s); }
    /// Text of panel 1, 2 or 3 of the status bar (all of it, however it is shown).
    QString panel(int index) const {
        return child<QLabel>(&w, qPrintable(u"Panel"_s + QString::number(index)))->text();
    }
    IncomingView& incoming() const { return *w.findChild<IncomingView*>(); }
    void setPanel(int index, const QString& text) {
        child<ElidedLabel>(&w, qPrintable(u"Panel"_s + QString::number(index)))->setText(text);
    }
    qint64 captured() const { return QFileInfo(capturePath()).size(); }
    bool ended() const { return lblStat->text() == u"end"_s && !port.isOpen(); }
    void click(const char* name) {
        QTest::mouseClick(child<QPushButton>(&w, name), Qt::LeftButton);
    }
    /// The reception in one line: button, panel 1, lblStat, lblTime, then those of
    /// port (open), capture (open), idle and timer (running) that hold.
    QString state() const {
        QString s =
            QStringList{cmdReceive->accessibleName(), panel(1), lblStat->text(), lblTime->text()}
                .join(u" | "_s) +
            u" |"_s;
        for (const auto& [on, name] : {std::pair{port.isOpen(), "port"},
                                       {download->captureOpen(), "capture"},
                                       {download->state() != Download::State::Waiting, "idle"},
                                       {timer->isActive(), "timer"}})
            if (on) s += u' ' + QLatin1String(name);
        return s;
    }

    QTemporaryDir dir;
    QList<platform::Drive> drives;    // none: the real ones
    QHash<QString, QString> devices;  // COM name -> device
    quorvel::Module1 module;
    std::shared_ptr<platform::Preferences> preferences;
    ScriptedDialogs dialogs;
    platform::QtDialogs qtDialogs;
    platform::PortResolver resolver;
    Port port = [this] {
        if constexpr (std::is_constructible_v<Port, platform::PortResolver>)
            return Port(resolver);
        else
            return Port();
    }();
    ScriptedLauncher editor;
    int quits = 0;
    std::function<void()> onQuit;  // after counting: the real end, say
    KCR1 w;
    QLineEdit* EdObs = child<QLineEdit>(&w, "EdObs");
    QLineEdit* EdOut = child<QLineEdit>(&w, "EdOut");
    QPushButton* cmdReceive = child<QPushButton>(&w, "cmdReceive");
    QPushButton* cmdSend = child<QPushButton>(&w, "cmdSend");
    QLabel* lblTime = child<QLabel>(&w, "lblTime");
    QLabel* lblStat = child<QLabel>(&w, "lblStat");
    QTimer* timer = child<QTimer>(&w, "Timer1");
    Download* download = w.findChild<Download*>();
};

}  // namespace testing_support
