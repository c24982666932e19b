// SPDX-License-Identifier: GPL-3.0-or-later
// Serial reception: Receive/Stop, the port's events, the waiting count and the hand-over
// to the raw data file.
#include "download/Download.h"

#include <QFile>
#include <QTimer>

#include "core/capture.h"
#include "core/fileio.h"
#include "platform/Platform.h"
#include "platform/SerialPort.h"

namespace {

constexpr char kStx = 2;
constexpr char kEtx = 3;
constexpr int kWaitSeconds = 20;
constexpr int kRefreshMs = 250;    // the counts: a few times a second, whatever the data rate
constexpr qint64 kQuietMs = 3000;  // longer without a byte: say since when

std::string localPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString fileProblem(const QString& what, const quorvel::FileError& error) {
    return QStringLiteral("%1\r%2: %3")
        .arg(what, QFile::decodeName(QByteArray::fromStdString(error.path)),
             QString::fromStdString(error.reason()));
}

}  // namespace

Download::Download(platform::SerialPort& port, platform::Prompts& prompts, QString homeFolder,
                   QObject* parent)
    : QObject(parent),
      m_port(port),
      m_home(std::move(homeFolder)),
      m_timer(new QTimer(this)),
      m_refresh(new QTimer(this)),
      m_rawData(new RawDataStep(prompts, this)) {
    setObjectName(QStringLiteral("Download"));
    m_clockStart.start();
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &Download::tick);
    m_refresh->setInterval(kRefreshMs);
    connect(m_refresh, &QTimer::timeout, this, &Download::refresh);
}

Download::~Download() {
    closeEverything();
}

void Download::click(const quorvel::RunSettings& settings) {
    m_timer->start();
    if (m_port.isOpen() || m_state != State::Idle)
        stop();
    else
        start(settings);
}

void Download::stop() {
    setWaited(0);
    m_port.close();
    setState(State::Idle);
    emit activityChanged(cutOff() ? Activity::CutOff : Activity::Ready);
    // The file really written, even if the folder setting changed meanwhile.
    emit captureKept(m_capturePath);
    closeEverything();
}

bool Download::cutOff() const {
    // A line end, or nothing of a line yet, after the last byte: no line was cut.
    return m_bytes > 0 && m_lastByte != '\r' && m_lastByte != '\n' && m_lastByte != kStx;
}

void Download::start(const quorvel::RunSettings& settings) {
    setState(State::Waiting);
    m_line = settings.Line;
    m_port.setLine(m_line);
    if (!m_port.open()) {
        fail(QStringLiteral("The serial port could not be opened!\r%1").arg(m_port.errorString()));
        return;
    }

    // A blank folder is drive C:; a folder gets its closing separator.
    const QChar sep = platform::separator();
    QString folder = QFile::decodeName(QByteArray::fromStdString(settings.DefaultPath));
    if (folder == QLatin1String(" ")) folder = m_home + sep;
    if (!folder.endsWith(sep)) folder += sep;
    m_capturePath = folder + QStringLiteral("$R55.tmp");

    // What the last reception kept there is the user's: it moves aside, never emptied.
    const quorvel::KeptTransfer kept = quorvel::keepTransfer(localPath(m_capturePath));
    if (kept.error) {
        fail(fileProblem(QStringLiteral("The earlier transfer could not be kept!"), kept.error));
        return;
    }
    const QString keptAs = QFile::decodeName(QByteArray::fromStdString(kept.path));
    if (!keptAs.isEmpty()) emit transferKept(m_capturePath, keptAs);

    auto capture = std::make_unique<quorvel::OutFile>();
    // A link put in the capture's place could lead to any file: never write through it.
    if (!capture->createNotThroughLink(localPath(m_capturePath))) {
        fail(fileProblem(QStringLiteral("The capture file could not be created!"),
                         capture->error()));
        return;
    }
    m_capture = std::move(capture);
    m_bytes = m_lines = 0;
    m_lastByte = 0;
    m_check = {};
    m_rate = {};
    m_first.reset();
    m_ended.reset();
    emit started(keptAs);
    emit activityChanged(Activity::Waiting);
    setStage(Stage::Ready);
    // Every reception waits its full time, whatever the last one counted.
    setWaited(0);
    emit progressChanged(progressText());
    m_refresh->start();
}

void Download::portEvent(int kind) {
    m_timer->stop();
    if (m_stage == Stage::End) return;
    if (kind != platform::ComEvReceive) {
        ++m_lineCount;
        if (m_state == State::Waiting) setState(State::Receiving);
        return;
    }
    const QByteArray chunk = m_port.input();
    if (!m_capture) return;  // no reception runs: nothing to keep it in
    if (m_state == State::Waiting) setState(State::Receiving);
    emit activityChanged(Activity::Receiving);
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
            emit garbled(m_line);
    }
    for (const char c : chunk) {
        if (c == kStx) {
            setStage(Stage::Start);
            emit activityChanged(Activity::StartOfText);
        } else if (c == kEtx) {
            end();
            return;
        }
    }
    ++m_lineCount;
}

void Download::end() {
    m_port.close();
    const bool written = m_capture ? m_capture->close() : true;
    const quorvel::FileError error = m_capture ? m_capture->error() : quorvel::FileError{};
    closeEverything();
    if (!written) {
        fail(fileProblem(QStringLiteral("The capture file could not be written!"), error));
        return;
    }
    setStage(Stage::End);
    emit activityChanged(Activity::Converting);
    setState(State::Writing);
    emit endOfText();
    setState(State::Idle);
}

void Download::readdump() {
    // The port and the capture are closed by now (end()).
    m_rawData->run(m_capturePath, m_lineCount);
}

void Download::lineLost(const QString& reason) {
    // Only a running reception has a line to lose; it ends as Stop ends it.
    if (!m_capture) return;
    stop();
    emit problem(QStringLiteral("The connection to the total station was lost!\r%1").arg(reason));
}

void Download::tick() {
    if (m_state != State::Waiting || m_timeoutShowing) return;
    setWaited(m_waited + 1);
    if (m_waited <= kWaitSeconds) return;

    m_timeoutShowing = true;
    emit problem(
        QStringLiteral("No Data is received from Total Station!\r"
                       "Please Check cable and settings!\r"
                       "No connection was established ! "));
    m_timeoutShowing = false;
    emit activityChanged(Activity::Ready);
    m_port.close();
    setState(State::Idle);
    setWaited(0);
    closeEverything();
}

void Download::closeEverything() {
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

void Download::stopTimer() {
    m_timer->stop();
}

void Download::fail(const QString& text) {
    // Back to Idle first, so the port is closed while the message is on screen.
    closeEverything();
    setState(State::Idle);
    emit activityChanged(Activity::Ready);
    emit problem(text);
}

void Download::setState(State state) {
    if (state == m_state) return;
    m_state = state;
    emit stateChanged(state);
}

void Download::setStage(Stage stage) {
    m_stage = stage;
    emit stageChanged(stage);
}

void Download::setWaited(int seconds) {
    m_waited = seconds;
    emit waited(seconds);
}

qint64 Download::now() const {
    return m_clock ? m_clock() : m_clockStart.elapsed();
}

QString Download::progressText() const {
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

void Download::refresh() {
    // Cheap enough a few times a second; the stall note needs the clock even without data.
    emit progressChanged(progressText());
}
