// SPDX-License-Identifier: GPL-3.0-or-later
#include "send/Sender.h"

#include <QTimer>

#include "core/incoming.h"
#include "core/send.h"
#include "platform/SerialPort.h"

namespace {

constexpr int kPollMs = 5;  // how soon a line that went out is counted

// 0:12, or 1:02:03 past an hour.
QString duration(qint64 ms) {
    const qint64 s = ms / 1000;
    return s >= 3600 ? QStringLiteral("%1:%2:%3")
                           .arg(s / 3600)
                           .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(s % 60, 2, 10, QLatin1Char('0'))
                     : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

Sender::Sender(platform::SerialPort& port, QObject* parent)
    : QObject(parent), m_port(port), m_poll(new QTimer(this)), m_pause(new QTimer(this)) {
    setObjectName(QStringLiteral("Sender"));
    m_clockStart.start();
    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this, &Sender::check);
    m_pause->setSingleShot(true);
    connect(m_pause, &QTimer::timeout, this, &Sender::writeNext);
}

Sender::~Sender() {
    if (m_state == State::Sending) stop();
}

bool Sender::start(const std::vector<std::string>& lines, int headerLines,
                   const quorvel::LineSettings& line, int delayMs, QString* error) {
    if (m_state == State::Sending) return false;
    m_port.setLine(line);
    if (!m_port.open()) {
        if (error) *error = m_port.errorString();
        return false;
    }
    // Whatever the port was told to send before is none of this.
    m_port.discardOutput();
    m_port.input();
    m_lines = lines;
    m_header = headerLines;
    m_total = static_cast<int>(lines.size()) - headerLines;
    m_sent = 0;
    m_next = 0;
    m_etxWritten = false;
    m_delay = delayMs;
    m_started = now();
    m_state = State::Sending;
    emit stateChanged(m_state);
    emit progressChanged(progressText());
    connect(&m_port, &platform::SerialPort::written, this, &Sender::check, Qt::UniqueConnection);
    writeNext();
    return true;
}

void Sender::writeNext() {
    if (m_state != State::Sending) return;
    QByteArray bytes;
    if (m_next < m_lines.size()) {
        if (m_next == 0) bytes += quorvel::kStx;
        bytes += QByteArray::fromStdString(m_lines[m_next]) + "\r\n";
        ++m_next;
    } else {
        bytes += quorvel::kEtx;
        m_etxWritten = true;
    }
    if (!m_port.write(bytes)) {
        finish(Ending::Lost, m_port.errorString());
        return;
    }
    m_poll->start();
}

void Sender::check() {
    if (m_state != State::Sending || m_pause->isActive() || m_port.unsent() > 0) return;
    m_poll->stop();
    // The line written last has gone out in full.
    if (m_etxWritten) {
        finish(Ending::Sent, QString());
        return;
    }
    if (static_cast<int>(m_next) > m_header) {
        ++m_sent;
        emit progressChanged(progressText());
    }
    if (m_delay > 0)
        m_pause->start(m_delay);
    else
        QTimer::singleShot(0, this, &Sender::writeNext);
}

void Sender::stop() {
    if (m_state != State::Sending) return;
    finish(Ending::Stopped, QString());
}

void Sender::lineLost(const QString& reason) {
    if (m_state != State::Sending) return;
    finish(Ending::Lost, reason);
}

void Sender::finish(Ending ending, const QString& reason) {
    // A point that went out in full before the poll looked still counts: the instrument
    // has it.
    if (ending == Ending::Stopped && m_poll->isActive() && !m_etxWritten &&
        static_cast<int>(m_next) > m_header && m_port.unsent() == 0)
        ++m_sent;
    m_poll->stop();
    m_pause->stop();
    disconnect(&m_port, &platform::SerialPort::written, this, &Sender::check);
    // Nothing more goes out once the user has said stop.
    if (ending != Ending::Sent) m_port.discardOutput();
    m_port.close();
    m_state = State::Idle;
    emit stateChanged(m_state);
    emit progressChanged(progressText());
    emit finished(ending, reason);
}

qint64 Sender::now() const {
    return m_clock ? m_clock() : m_clockStart.elapsed();
}

QString Sender::progressText() const {
    const qint64 elapsed = now() - m_started;
    QString text = QStringLiteral("%1 of %2 points \u00b7 %3")
                       .arg(QString::fromStdString(quorvel::groupedNumber(std::uint64_t(m_sent))),
                            QString::fromStdString(quorvel::groupedNumber(std::uint64_t(m_total))),
                            duration(elapsed));
    if (m_state == State::Sending && m_sent > 0 && m_sent < m_total)
        text += QStringLiteral(" \u00b7 about %1 left")
                    .arg(duration(elapsed * (m_total - m_sent) / m_sent));
    return text;
}
