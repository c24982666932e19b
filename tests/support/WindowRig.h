#pragma once
// A main window shown offscreen on scripted services (or the real message boxes),
// a temporary folder as drive C:, and lookups of controls by name.

#include <QAbstractButton>
#include <QGroupBox>
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

template <class T = QWidget>
T* child(const QObject* parent, const char* name) {
    return parent->findChild<T*>(QLatin1String(name));
}

/// The caption of each named child: a label's or button's text, a group's title.
inline QStringList captions(const QObject* parent, std::initializer_list<const char*> names) {
    QStringList out;
    for (const char* name : names) {
        if (auto* l = child<QLabel>(parent, name))
            out << l->text();
        else if (auto* b = child<QAbstractButton>(parent, name))
            out << b->text();
        else if (auto* g = child<QGroupBox>(parent, name))
            out << g->title();
        else
            out << QStringLiteral("<no %1>").arg(QLatin1String(name));
    }
    return out;
}

struct WindowRig {
    explicit WindowRig(bool realDialogs = false, platform::EditorLauncher* launcher = nullptr)
        : w(module, {realDialogs ? static_cast<platform::Dialogs&>(qtDialogs) : dialogs, port,
                     launcher ? *launcher : editor,
                     [this](const QString& com) { return devices.value(com, com); }, dir.path(),
                     [this](const QString& home) {
                         return drives.isEmpty() ? platform::listDrives(home) : drives;
                     },
                     [this] { ++quits; }}) {
        qtDialogs.setParent(&w);
        w.show();
        w.activateWindow();
    }
    QString home() const { return dir.path(); }
    QString file(const QString& name) const { return dir.filePath(name); }
    void click(const char* name) {
        QTest::mouseClick(child<QPushButton>(&w, name), Qt::LeftButton);
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
    KCR1 w;
    QLineEdit* EdObs = child<QLineEdit>(&w, "EdObs");
    QLineEdit* EdOut = child<QLineEdit>(&w, "EdOut");
};

}  // namespace testing_support
