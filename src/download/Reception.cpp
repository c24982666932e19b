// SPDX-License-Identifier: GPL-3.0-or-later
// Serial reception: Receive/Stop, the port's events and the waiting count.
#include "download/Reception.h"

#include <QFile>
#include <QTimer>

#include "core/capture.h"
#include "core/fileio.h"
#include "platform/Dialogs.h"
#include "platform/Platform.h"
#include "platform/SerialPort.h"

namespace {

constexpr char kStx = 2;
constexpr char kEtx = 3;
constexpr int kWaitSeconds = 20;
constexpr int kRefreshMs = 250;    // panel 3: a few times a second, whatever the data rate
constexpr qint64 kQuietMs = 3000;  // longer without a byte: say since when

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString fileProblem(const QString& what, const quorvel::FileError& error) {
    return QStringLiteral("%1\r%2: %3")
        .arg(what, QFile::decodeName(QByteArray::fromStdString(error.path)),
             QString::fromStdString(error.reason()));
}

/// The typed line of the settings; a port name other than COM1..COM4 keeps `port`.
platform::LineSettings lineOf(const SerialSettings& s, int port) {
    platform::LineSettings line;
    for (int n = 1; n <= 4; ++n)
        if (s.PortName == QStringLiteral("COM%1").arg(n)) port = n;
    line.port = port;
    line.baudRate = s.BaudRate;
    const QString parity = s.Parity.trimmed();
    line.parity = parity == QLatin1String("E")   ? platform::Parity::Even
                  : parity == QLatin1String("O") ? platform::Parity::Odd
                                                 : platform::Parity::None;
    line.dataBits = s.DataBits;
    line.stopBits = s.StopBits;
    return line;
}

}  // namespace

Reception::Reception(Module1& module, platform::SerialPort& port, platform::Dialogs& dialogs,
                     QString homeFolder, QObject* parent)
    : QObject(parent),
      m_module(module),
      m_port(port),
      m_dialogs(dialogs),
      m_home(std::move(homeFolder)),
      m_timer(new QTimer(this)),
      m_refresh(new QTimer(this)) {
    setObjectName(QStringLiteral("Reception"));
    m_clockStart.start();
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &Reception::tick);
    m_refresh->setInterval(kRefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &Reception::refresh);
}

Reception::~Reception() {
    closeEverything();
}

QString Reception::garbledWarning(const SerialSettings& s) {
    const QString parity = s.Parity == QLatin1String("E")   ? QStringLiteral("even parity")
                           : s.Parity == QLatin1String("O") ? QStringLiteral("odd parity")
                                                            : QStringLiteral("no parity");
    return QStringLiteral(
               "The data looks garbled: check the baud rate, parity and word length in "
               "Settings (now %1 baud, %2, %3 data bits).")
        .arg(s.BaudRate)
        .arg(parity)
        .arg(s.DataBits);
}

void Reception::click() {
    m_timer->start();
    m_module.RunSettings.DownloadIdle = false;
    if (m_port.isOpen() || m_state != State::Idle)
        stop();
    else
        start();
}

void Reception::stop() {
    m_module.RunSettings.DownloadIdle = true;
    setWaited(0);
    m_port.close();
    setState(State::Idle);
    emit activityChanged(endedText());
    // The file really written, even if the folder setting changed meanwhile.
    emit stopped(m_module.CaptureFilePath);
    closeEverything();
}

QString Reception::endedText() const {
    // A line end, or nothing of a line yet, after the last byte: no line was cut.
    const bool cut = m_bytes > 0 && m_lastByte != '\r' && m_lastByte != '\n' && m_lastByte != kStx;
    return cut ? QStringLiteral("The transfer was cut off: the last line is incomplete")
               : QStringLiteral("Ready");
}

void Reception::start() {
    RunSettingsRecord& rs = m_module.RunSettings;
    setState(State::Waiting);
    m_port.setLine(lineOf(rs.serial(), m_port.line().port));
    if (!m_port.open()) {
        fail(QStringLiteral("The serial port could not be opened!\r%1").arg(m_port.errorString()));
        return;
    }

    const QChar sep = platform::separator();
    if (rs.DefaultPath == QLatin1String(" ")) rs.DefaultPath = m_home + sep;
    if (!rs.DefaultPath.endsWith(sep)) rs.DefaultPath += sep;
    m_module.CaptureFilePath = rs.DefaultPath + QStringLiteral("$R55.tmp");

    // What the last reception kept there is the user's: it moves aside, never emptied.
    const quorvel::KeptTransfer kept = quorvel::keepTransfer(localPath(m_module.CaptureFilePath));
    if (kept.error) {
        fail(fileProblem(QStringLiteral("The earlier transfer could not be kept!"), kept.error));
        return;
    }
    m_keptNote.clear();
    if (!kept.path.empty()) {
        const QString keptAs = QFile::decodeName(QByteArray::fromStdString(kept.path));
        m_keptNote = QStringLiteral("The earlier transfer was kept as %1")
                         .arg(keptAs.mid(keptAs.lastIndexOf(platform::separator()) + 1));
        emit transferKept(m_module.CaptureFilePath, keptAs);
    }

    auto capture = std::make_unique<quorvel::OutFile>();
    // A link put in the capture's place could lead to any file: never write through it.
    if (!capture->createNotThroughLink(localPath(m_module.CaptureFilePath))) {
        fail(fileProblem(QStringLiteral("The capture file could not be created!"),
                         capture->error()));
        return;
    }
    m_capture = std::move(capture);
    emit activityChanged(m_keptNote.isEmpty() ? QStringLiteral("Waiting for ...") : m_keptNote);
    setStage(Stage::Ready);
    // Every reception waits its full time, whatever the last one counted.
    setWaited(0);
    m_bytes = m_lines = 0;
    m_lastByte = 0;
    m_check = {};
    m_rate = {};
    m_first.reset();
    m_ended.reset();
    emit started();
    emit progressChanged(progressText());
    m_refresh->start();
}

void Reception::portEvent(int kind) {
    m_timer->stop();
    m_module.RunSettings.DownloadIdle = true;
    if (m_stage == Stage::End) return;
    if (kind != platform::ComEvReceive) {
        ++m_module.LineCount;
        if (m_state == State::Waiting) setState(State::Receiving);
        return;
    }
    const QByteArray chunk = m_port.input();
    if (!m_capture) return;  // no reception runs: nothing to keep it in
    if (m_state == State::Waiting) setState(State::Receiving);
    emit activityChanged(QStringLiteral("Receiving... "));
    // Straight to disk: whatever happens next, what arrived is kept.
    if (!m_capture->write(chunk.constData(), static_cast<std::size_t>(chunk.size())) ||
        !m_capture->flush()) {
        fail(fileProblem(QStringLiteral("The capture file could not be written!"),
                         m_capture->error()));
        return;
    }
    if (!chunk.isEmpty()) {
        m_last = now();
        if (!m_first) m_first = m_last;
        m_rate.add(m_last, static_cast<quint64>(chunk.size()));
        m_lastByte = chunk.back();
        m_bytes += static_cast<quint64>(chunk.size());
        m_lines += static_cast<quint64>(chunk.count('\r'));
        emit dataArrived(chunk);
        if (m_check.feed(std::string_view(chunk.constData(), std::size_t(chunk.size()))))
            emit garbled(garbledWarning(m_module.RunSettings));
    }
    for (const char c : chunk) {
        if (c == kStx) {
            setStage(Stage::Start);
            emit activityChanged(QStringLiteral("Start receieve ..."));
        } else if (c == kEtx) {
            end();
            return;
        }
    }
    ++m_module.LineCount;
}

void Reception::end() {
    m_port.close();
    const bool written = m_capture ? m_capture->close() : true;
    const quorvel::FileError error = m_capture ? m_capture->error() : quorvel::FileError{};
    closeEverything();
    if (!written) {
        fail(fileProblem(QStringLiteral("The capture file could not be written!"), error));
        return;
    }
    setStage(Stage::End);
    emit activityChanged(QStringLiteral("Converting ..."));
    setState(State::Writing);
    emit endOfText();
    setState(State::Idle);
}

void Reception::lineLost(const QString& reason) {
    // Only a running reception has a line to lose; it ends as Stop ends it.
    if (!m_capture) return;
    stop();
    showProblem(QStringLiteral("The connection to the total station was lost!\r%1").arg(reason));
}

void Reception::tick() {
    RunSettingsRecord& rs = m_module.RunSettings;
    if (rs.DownloadIdle || m_timeoutShowing) return;
    setWaited(m_waited + 1);
    const QString waiting = QStringLiteral("Waiting for ... ( %1)").arg(m_waited);
    emit activityChanged(m_keptNote.isEmpty() ? waiting
                                              : waiting + QStringLiteral(" \u00b7 ") + m_keptNote);
    if (m_waited <= kWaitSeconds) return;

    m_timeoutShowing = true;
    showProblem(
        QStringLiteral("No Data is received from Total Station!\r"
                       "Please Check cable and settings!\r"
                       "No connection was established ! "));
    m_timeoutShowing = false;
    emit activityChanged(QStringLiteral("Ready"));
    m_port.close();
    setState(State::Idle);
    setWaited(0);
    closeEverything();
    rs.DownloadIdle = true;
}

void Reception::closeEverything() {
    if (m_port.isOpen()) m_port.close();
    if (m_capture && m_first && !m_ended) m_ended = now();
    if (m_capture) {
        m_capture->close();
        m_capture.reset();
    }
    // Whatever ended it, the counts stand as they were last shown.
    if (m_refresh->isActive()) {
        m_refresh->stop();
        emit progressChanged(progressText());
    }
}

void Reception::stopTimer() {
    m_timer->stop();
}

void Reception::showProblem(const QString& text) {
    m_dialogs.message(text, platform::Icon::Critical, platform::Buttons::Ok,
                      QStringLiteral("Problem"));
}

void Reception::fail(const QString& text) {
    // Back to Idle first, so the port is closed while the message is on screen.
    closeEverything();
    m_module.RunSettings.DownloadIdle = true;
    setState(State::Idle);
    emit activityChanged(QStringLiteral("Ready"));
    showProblem(text);
}

void Reception::setState(State state) {
    const bool wasIdle = m_state == State::Idle;
    m_state = state;
    if (wasIdle != (state == State::Idle))
        emit captionChanged(state == State::Idle ? QStringLiteral("Receive")
                                                 : QStringLiteral("Stop"));
}

void Reception::setStage(Stage stage) {
    m_stage = stage;
    static const QString words[] = {QString(), QStringLiteral("Ready"), QStringLiteral("Start"),
                                    QStringLiteral("end")};
    emit stageChanged(words[int(stage)]);
}

void Reception::setWaited(int seconds) {
    m_waited = seconds;
    emit waitedChanged(seconds);
}

qint64 Reception::now() const {
    return m_clock ? m_clock() : m_clockStart.elapsed();
}

QString Reception::progressText() const {
    std::optional<std::int64_t> quiet;
    const bool running = m_state == State::Waiting || m_state == State::Receiving;
    qint64 elapsed = 0;
    quint64 rate = 0;
    if (m_first && running) {
        const qint64 t = now();
        elapsed = t - *m_first;
        rate = m_rate.rate();
        if (t - m_last > kQuietMs) quiet = (t - m_last) / 1000;
    } else if (m_first) {
        elapsed = m_ended.value_or(m_last) - *m_first;
        rate = quorvel::meanRate(m_bytes, elapsed);
    }
    return QString::fromStdString(quorvel::progressText(m_bytes, m_lines, elapsed, rate, quiet));
}

void Reception::refresh() {
    // Cheap enough a few times a second; the stall note needs the clock even without data.
    emit progressChanged(progressText());
}
