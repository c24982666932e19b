// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A download from the instrument, without a widget: the one state of the reception,
// the port's use, the capture file, the one-second timer, the counts and the raw data
// file made at the end. The main window turns its signals into captions and never
// tells it anything but the user's clicks and the settings in force.
//
//   Idle --click--> Waiting --port event--> Receiving --ETX--> Writing --> Idle
//   Waiting --21st tick--> Idle (time-out);  Waiting/Receiving --click--> Idle (Stop)
//   any failure (port, capture file, line lost) --> Idle with one problem told

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "core/incoming.h"
#include "core/settings.h"
#include "download/RawDataStep.h"

class QTimer;
namespace quorvel {
class OutFile;
}
namespace platform {
class Prompts;
class SerialPort;
}  // namespace platform

class Download : public QObject {
    Q_OBJECT
public:
    enum class State { Idle, Waiting, Receiving, Writing };
    /// How far the transfer got: nothing yet, started, STX seen, ETX seen. It stays at
    /// ETX after the reception until the next one starts.
    enum class Stage { None, Ready, Start, End };
    /// What the reception is doing, for the status bar.
    enum class Activity {
        Ready,        // nothing (after Stop: nothing was cut off)
        Waiting,      // for the instrument's first sign
        Receiving,    // data arrives
        StartOfText,  // the transfer's STX has come
        Converting,   // ETX: the raw data file is being made
        CutOff,       // it ended without ETX in the middle of a line
    };
    Q_ENUM(Activity)

    /// `homeFolder` stands for drive C: where the download folder is a blank.
    Download(platform::SerialPort& port, platform::Prompts& prompts, QString homeFolder,
             QObject* parent);
    ~Download() override;

    State state() const { return m_state; }
    bool captureOpen() const { return m_capture != nullptr; }
    /// The capture file of the running or last reception.
    QString capturePath() const { return m_capturePath; }
    /// Bytes of the running or last reception.
    quint64 bytes() const { return m_bytes; }
    /// Port events counted since start-up or since a conversion left its count of lines
    /// (the raw data file's progress is scaled by it).
    std::int64_t lineCount() const { return m_lineCount; }
    void setLineCount(std::int64_t count) { m_lineCount = count; }
    /// The counts line as it reads now: while data comes, the rate of the last seconds;
    /// after the end, the whole time since the first byte and the mean rate.
    QString progressText() const;
    /// The clock of the counts, in milliseconds (tests set their own).
    void setClock(std::function<qint64()> nowMs) { m_clock = std::move(nowMs); }
    RawDataStep& rawData() { return *m_rawData; }

    /// A click on Receive/Stop; a start takes the line and folder of `settings`.
    void click(const quorvel::RunSettings& settings);
    /// A port event of `kind`.
    void portEvent(int kind);
    /// A tick of the one-second timer.
    void tick();
    /// The device went away while open.
    void lineLost(const QString& reason);
    /// Makes the raw data file from the capture (readdump), after ETX.
    void readdump();
    /// Closes the port and the capture file (Exit).
    void closeEverything();
    /// Switches the one-second timer off (Exit).
    void stopTimer();

signals:
    void stateChanged(Download::State state);
    void stageChanged(Download::Stage stage);
    void activityChanged(Download::Activity activity);
    void waited(int seconds);
    /// A new reception: what the last one showed goes. `keptAs` names the file an
    /// earlier transfer was kept in (empty when there was none).
    void started(const QString& keptAs);
    /// Before the capture file was emptied, what it kept went to a file of its own.
    void transferKept(const QString& capturePath, const QString& keptAs);
    void progressChanged(const QString& counts);  // a few times a second
    void dataArrived(const QByteArray& chunk);    // every chunk, as it came
    /// At most once a reception: the data looks garbled for `line`, the line in use.
    void garbled(const quorvel::LineSettings& line);
    /// The capture keeps what came (Stop, a lost line): the observation file to name.
    void captureKept(const QString& capturePath);
    /// ETX: port and capture are closed; the raw data file is to be made (readdump).
    void endOfText();
    void problem(const QString& text);

private:
    void start(const quorvel::RunSettings& settings);
    void stop();
    void end();
    void fail(const QString& text);
    void setState(State state);
    void setStage(Stage stage);
    void setWaited(int seconds);
    void refresh();
    qint64 now() const;
    /// Whether the reception ended in the middle of a line.
    bool cutOff() const;

    platform::SerialPort& m_port;
    QString m_home;
    QTimer* m_timer;    // Timer1: the waiting count
    QTimer* m_refresh;  // the counts, while a reception runs
    RawDataStep* m_rawData;
    State m_state = State::Idle;
    Stage m_stage = Stage::None;
    int m_waited = 0;
    std::int64_t m_lineCount = 0;
    QString m_capturePath;
    quorvel::LineSettings m_line;  // the line the port was opened with
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
};
