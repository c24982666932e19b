// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Points sent to the instrument over the serial line, without a widget: one line at a
// time, each counted once it has gone out on the line (not when it was queued, so that
// flow control holding it back holds the count too), then the pause the settings ask
// for. Stop ends it at once: what has not gone out is dropped and the port closed.
//
//   Idle --start--> Sending --last line out--> Idle (sent)
//   Sending --stop / line lost / refused write--> Idle, with the points sent in full

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "core/settings.h"

class QTimer;
namespace platform {
class SerialPort;
}

class Sender : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Sending };
    enum class Ending { Sent, Stopped, Lost };

    Sender(platform::SerialPort& port, QObject* parent);
    ~Sender() override;

    State state() const { return m_state; }
    /// Points that have gone out in full, of all to send.
    int sent() const { return m_sent; }
    int total() const { return m_total; }
    /// "12 of 30 points · 0:12 · about 0:30 left".
    QString progressText() const;
    /// The clock of the progress, in milliseconds (tests set their own).
    void setClock(std::function<qint64()> nowMs) { m_clock = std::move(nowMs); }

    /// Opens the port on `line` and sends `lines` (each ended with CR LF, STX before the
    /// first and ETX after the last), pausing `delayMs` after each; the lines after the
    /// first `headerLines` are the points. False, with the port's reason in `error`,
    /// when the port does not open.
    bool start(const std::vector<std::string>& lines, int headerLines,
               const quorvel::LineSettings& line, int delayMs, QString* error);
    /// Ends the sending at once.
    void stop();
    /// The device went away while sending.
    void lineLost(const QString& reason);

signals:
    void stateChanged(Sender::State state);
    void progressChanged(const QString& text);
    /// The sending is over: all of it, or `sent()` points of `total()` in full.
    void finished(Sender::Ending ending, const QString& reason);

private:
    void writeNext();
    void check();
    void finish(Ending ending, const QString& reason);
    qint64 now() const;

    platform::SerialPort& m_port;
    QTimer* m_poll;   // whether the line written has gone out
    QTimer* m_pause;  // the pause after a line
    State m_state = State::Idle;
    std::vector<std::string> m_lines;
    std::size_t m_next = 0;  // the next line to write
    bool m_etxWritten = false;
    int m_header = 0;
    int m_sent = 0;
    int m_total = 0;
    int m_delay = 0;
    QElapsedTimer m_clockStart;
    std::function<qint64()> m_clock;
    qint64 m_started = 0;
};
