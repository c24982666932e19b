// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A download from the instrument: the port's use, the capture file, the one-second
// timer, the counts and an explicit state. It tells the window what to show through
// signals and never reads the window back.
//
//   Idle --click--> Waiting --port event--> Receiving --ETX--> Writing --> Idle
//   Waiting --21st tick--> Idle (time-out);  Waiting/Receiving --click--> Idle (Stop)
//   any failure (port, capture file, line lost) --> Idle with one Problem message

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "app/Module1.h"
#include "core/incoming.h"

class QTimer;
namespace quorvel {
class OutFile;
}
namespace platform {
class Dialogs;
class SerialPort;
}  // namespace platform

class Reception : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Waiting, Receiving, Writing };
    /// How far the transfer got: nothing yet, started, STX seen, ETX seen.
    enum class Stage { None, Ready, Start, End };

    Reception(Module1& module, platform::SerialPort& port, platform::Dialogs& dialogs,
              QString homeFolder, QObject* parent);
    ~Reception() override;

    State state() const { return m_state; }
    Stage stage() const { return m_stage; }
    bool captureOpen() const { return m_capture != nullptr; }
    /// Bytes and line ends (CR) of the running or last reception.
    quint64 bytes() const { return m_bytes; }
    quint64 lines() const { return m_lines; }
    /// The counts line of panel 3 as it reads now: while data comes, the rate of the
    /// last seconds; after the end, the whole time since the first byte and the mean rate.
    QString progressText() const;
    /// The clock of the counts, in milliseconds (tests set their own).
    void setClock(std::function<qint64()> nowMs) { m_clock = std::move(nowMs); }
    /// "The data looks garbled: ..." for the settings in force.
    static QString garbledWarning(const SerialSettings& settings);

    /// A click on Receive/Stop.
    void click();
    /// A port event of `kind`.
    void portEvent(int kind);
    /// A tick of the one-second timer.
    void tick();
    /// The device went away while open.
    void lineLost(const QString& reason);
    /// Closes the port and the capture file (Exit, Convert's "every open file").
    void closeEverything();
    /// Switches the one-second timer off (Exit).
    void stopTimer();

signals:
    void captionChanged(const QString& caption);  // cmdReceive: "Receive" or "Stop"
    void activityChanged(const QString& text);    // panel 1
    void stageChanged(const QString& word);       // lblStat: "Ready", "Start", "end"
    void waitedChanged(int seconds);              // lblTime
    void progressChanged(const QString& text);    // panel 3, a few times a second
    void started();                               // a new reception: clear what the last one showed
    void dataArrived(const QByteArray& chunk);    // every chunk, as it came
    void garbled(const QString& warning);         // at most once a reception
    void stopped(const QString& capturePath);     // Stop: the capture keeps what came
    /// Before the capture file is emptied, what it kept went to a file of its own.
    void transferKept(const QString& capturePath, const QString& keptAs);
    /// ETX: port and capture are closed; make the raw data file (returns when done).
    void endOfText();

private:
    void start();
    void stop();
    void end();
    void fail(const QString& text);
    void showProblem(const QString& text);
    void setState(State state);
    void setStage(Stage stage);
    void setWaited(int seconds);
    void refresh();
    qint64 now() const;
    /// Panel 1 when the reception ends without ETX: "Ready", or that the last line is cut.
    QString endedText() const;

    Module1& m_module;
    platform::SerialPort& m_port;
    platform::Dialogs& m_dialogs;
    QString m_home;
    QTimer* m_timer;    // Timer1: the waiting count
    QTimer* m_refresh;  // panel 3, while a reception runs
    State m_state = State::Idle;
    Stage m_stage = Stage::None;
    int m_waited = 0;
    std::unique_ptr<quorvel::OutFile> m_capture;
    // The time-out message is on screen: ticks meanwhile must not show it again.
    bool m_timeoutShowing = false;

    quint64 m_bytes = 0;
    quint64 m_lines = 0;
    char m_lastByte = 0;
    QElapsedTimer m_clockStart;
    std::function<qint64()> m_clock;  // instead of m_clockStart
    std::optional<qint64> m_first;    // when the first byte came
    qint64 m_last = 0;                // the latest byte
    std::optional<qint64> m_ended;    // the end of the reception, however it came
    quorvel::RateMeter m_rate;
    quorvel::GarbleCheck m_check;
    // Told in panel 1 while the reception waits: where the earlier transfer went.
    QString m_keptNote;
};
