#pragma once
// Stand-ins for the platform services, scripted by the tests.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>

#include "platform/Dialogs.h"
#include "platform/EditorLauncher.h"
#include "platform/SerialPort.h"

namespace testing_support {

struct ShownMessage {
    QString text;
    platform::Icon icon;
    platform::Buttons buttons;
    QString caption;
    platform::Answer defaultAnswer;
};

/// Records every message and dialog; answers from queues (OK, first button of a
/// question, Cancel in the file dialog when the queues run dry).
class ScriptedDialogs final : public platform::Dialogs {
public:
    platform::Answer message(const QString& text, platform::Icon icon, platform::Buttons buttons,
                             const QString& caption, platform::Answer defaultAnswer) override;
    std::optional<QString> showOpen(const QString& filter, const QString& title) override;
    std::optional<QString> showSave(const QString& filter, const QString& title,
                                    const QString& proposed) override;

    std::deque<platform::Answer> answers;
    std::deque<QString> files;  // a null QString is a cancel
    /// Runs while a message is "on screen" (to test what happens meanwhile).
    std::function<void()> whileShowing;

    QList<ShownMessage> messages;
    QStringList dialogTitles;
    QStringList dialogFilters;
    QStringList saveProposals;  // where each save dialog opened
};

/// A serial port whose events the test raises.
class ScriptedSerialPort final : public platform::SerialPort {
    Q_OBJECT
public:
    void setCommPort(int n) override { m_commPort = n; }
    int commPort() const override { return m_commPort; }
    void setSettings(const QString& s) override { m_settings = s; }
    QString settings() const override { return m_settings; }
    bool open() override;
    void close() override { m_open = false; }
    bool isOpen() const override { return m_open; }
    QByteArray input() override;
    QString device() const override { return QStringLiteral("COM%1").arg(m_commPort); }
    QString errorString() const override { return m_error; }

    /// Queues data and raises a received-data event for it.
    void receive(const QByteArray& data);
    /// Raises an event of another kind (a line signal).
    void signalEvent(int kind) { emit commEvent(kind); }
    /// The device goes away.
    void lose(const QString& reason);

    bool failOpen = false;
    QString openError = QStringLiteral("COM1: no such device.");
    int openCount = 0;

private:
    int m_commPort = 1;
    QString m_settings;
    bool m_open = false;
    QByteArray m_pending;
    QString m_error;
};

class ScriptedLauncher final : public platform::EditorLauncher {
public:
    platform::LaunchResult start(const QString& path) override {
        started << path;
        return result;
    }
    platform::LaunchResult result = platform::LaunchResult::Started;
    QStringList started;
};

}  // namespace testing_support
