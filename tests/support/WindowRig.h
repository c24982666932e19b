#pragma once
// A main window shown offscreen on scripted services (or the real message boxes),
// a temporary folder as drive C:, and lookups of controls by name.

#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <initializer_list>

#include "Scripted.h"
#include "app/KCR1.h"

namespace testing_support {

using namespace Qt::StringLiterals;

template <class T = QWidget>
T* child(const QObject* parent, const char* name) {
    return parent->findChild<T*>(QLatin1String(name));
}

/// The caption of each named child: a label's or button's text, a group's title.
inline QStringList captions(const QObject* parent, std::initializer_list<const char*> names) {
    QStringList out;
    for (const char* name : names) {
        const auto* o = child<QObject>(parent, name);
        out << (o ? o->property(o->property("text").isValid() ? "text" : "title").toString()
                  : u"<no %1>"_s.arg(QLatin1String(name)));
    }
    return out;
}

/// A message as "caption/icon/buttons: text", to compare whole messages at once.
inline QString message(const QString& caption, platform::Icon icon, platform::Buttons buttons,
                       const QString& text) {
    const char* icons[] = {"plain", "critical", "question"};
    const char* buttonSets[] = {"ok", "okcancel", "yesno"};
    return u"%1/%2/%3: %4"_s.arg(caption, QLatin1String(icons[int(icon)]),
                                 QLatin1String(buttonSets[int(buttons)]), text);
}
inline QString problem(const QString& text) {
    return message(u"Problem"_s, platform::Icon::Critical, platform::Buttons::Ok, text);
}

/// The serial line, layout and axes of the settings, as one line.
inline QString lineOf(const RunSettingsRecord& rs) {
    return QString::asprintf("%s %d %s %d %d layout %d axes %s", qPrintable(rs.PortName),
                             rs.BaudRate, qPrintable(rs.Parity), rs.DataBits, rs.StopBits,
                             rs.OutputFormat,
                             rs.AxisOrder == quorvel::Axes::XEastYNorth ? "xeast" : "xnorth");
}

struct WindowRig {
    explicit WindowRig(bool realDialogs = false, platform::EditorLauncher* launcher = nullptr)
        : w(module, {realDialogs ? static_cast<platform::Dialogs&>(qtDialogs) : dialogs, port,
                     launcher ? *launcher : editor,
                     [this](const QString& com) { return devices.value(com, com); }, dir.path(),
                     [this](const QString& home) {
                         return drives.isEmpty() ? platform::listDrives(home) : drives;
                     },
                     [this] {
                         ++quits;
                         if (onQuit) onQuit();
                     }}) {
        qtDialogs.setParent(&w);
        w.show();
        w.activateWindow();
    }
    QString home() const { return dir.path(); }
    QString file(const QString& name) const { return dir.filePath(name); }
    void click(const char* name) {
        QTest::mouseClick(child<QPushButton>(&w, name), Qt::LeftButton);
    }
    /// The scripted messages shown so far, as message() writes them.
    QStringList shown() const {
        QStringList out;
        for (const ShownMessage& m : dialogs.messages)
            out << message(m.caption, m.icon, m.buttons, m.text);
        return out;
    }

    QTemporaryDir dir;
    QList<platform::Drive> drives;    // none: the real ones
    QHash<QString, QString> devices;  // COM name -> device
    Module1 module;
    ScriptedDialogs dialogs;
    platform::QtDialogs qtDialogs;
    ScriptedSerialPort port;
    ScriptedLauncher editor;
    int quits = 0;
    std::function<void()> onQuit;  // after counting: the real end, say
    KCR1 w;
    QLineEdit* EdObs = child<QLineEdit>(&w, "EdObs");
    QLineEdit* EdOut = child<QLineEdit>(&w, "EdOut");
};

}  // namespace testing_support
