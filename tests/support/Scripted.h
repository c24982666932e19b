// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stand-ins for the platform services, scripted by the tests.

#include <QStringList>
#include <deque>
#include <functional>

#include "platform/Dialogs.h"
#include "platform/EditorLauncher.h"
#include "platform/SerialPort.h"

namespace testing_support {

/// A message as "caption/icon/buttons: text".
QString message(const QString& caption, platform::Icon icon, platform::Buttons buttons,
                const QString& text);
inline QString problem(const QString& text) {
    return message(QStringLiteral("Problem"), platform::Icon::Critical, platform::Buttons::Ok,
                   text);
}

/// Records messages and file dialogs; answers from queues (the first button, then
/// Cancel in a file dialog, when they run dry).
struct ScriptedDialogs final : platform::Dialogs {
    platform::Answer message(const QString& text, platform::Icon icon, platform::Buttons buttons,
                             const QString& caption, platform::Answer defaultAnswer) override;
    std::optional<QString> showOpen(const QString& filter, const QString& title,
                                    const QString& folder) override;
    std::optional<QString> showSave(const QString& filter, const QString& title,
                                    const QString& proposed) override {
        saveProposals << proposed;
        return showOpen(filter, title, {});
    }
    std::deque<platform::Answer> answers;
    std::deque<QString> files;           // a null QString is a Cancel
    std::function<void()> whileShowing;  // runs while the next message is "on screen"
    QStringList shown;
    QList<platform::Answer> defaults;  // of each message
    QStringList dialogs;               // "title | filter" of each file dialog
    QStringList saveProposals;         // where each save dialog opened
    QStringList openFolders;           // where each open dialog opened
};

/// A serial port whose events the test raises.
class ScriptedSerialPort final : public platform::SerialPort {
    Q_OBJECT
public:
    void setLine(const platform::LineSettings& line) override { m_line = line; }
    platform::LineSettings line() const override { return m_line; }
    bool open() override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    QByteArray input() override { return std::exchange(m_pending, {}); }
    bool write(const QByteArray& data) override {
        if (!m_open) return false;
        sent += data;
        if (holdWrites) held += data.size();
        return true;
    }
    qint64 unsent() const override { return held; }
    void discardOutput() override { held = 0; }
    QString device() const override { return QStringLiteral("COM%1").arg(m_line.port); }
    QString errorString() const override { return openError; }
    /// Data arrives: a received-data event.
    void receive(const QByteArray& data);
    /// An event of another kind (a line signal).
    void signalEvent(int kind) { emit commEvent(kind); }
    /// The device goes away.
    void lose(const QString& reason);

    bool failOpen = false;
    QByteArray sent;          // every byte written
    qint64 held = 0;          // what unsent() says
    bool holdWrites = false;  // what is written stays unsent until the test sets held to 0
    QString openError = QStringLiteral("COM1: no such device.");

private:
    platform::LineSettings m_line;
    bool m_open = false;
    QByteArray m_pending;
};

struct ScriptedLauncher final : platform::EditorLauncher {
    platform::LaunchResult start(const QString& path) override {
        started << path;
        return result;
    }
    platform::LaunchResult result = platform::LaunchResult::Started;
    QStringList started;
};

}  // namespace testing_support
