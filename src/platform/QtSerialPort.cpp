// SPDX-License-Identifier: GPL-3.0-or-later
#include "QtSerialPort.h"

#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace platform {

QStringList comPortCandidates(const QString& comName) {
#ifdef Q_OS_WIN
    return {comName};
#else
    bool ok = false;
    const int n = comName.mid(3).toInt(&ok);
    if (!comName.startsWith(QLatin1String("COM")) || !ok || n < 1) return {comName};
    const QString index = QString::number(n - 1);
    return {QStringLiteral("/dev/ttyUSB") + index, QStringLiteral("/dev/ttyACM") + index,
            QStringLiteral("/dev/ttyS") + index};
#endif
}

QString resolveComPort(const QString& comName) {
    const QStringList candidates = comPortCandidates(comName);
    for (const QString& candidate : candidates)
        if (QFileInfo::exists(candidate)) return candidate;
    return candidates.constLast();
}

QtSerialPort::QtSerialPort(PortResolver resolver, QObject* parent)
    : SerialPort(parent), m_resolver(std::move(resolver)) {
    connect(&m_port, &QSerialPort::readyRead, this, [this] { emit commEvent(ComEvReceive); });
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialPort::onError);
    connect(&m_port, &QSerialPort::bytesWritten, this, &SerialPort::written);
    // The port reports no change of its line signals by itself: look once a second.
    m_signalPoll.setInterval(1000);
    connect(&m_signalPoll, &QTimer::timeout, this, &QtSerialPort::pollLineSignals);
}

QtSerialPort::~QtSerialPort() {
    close();
}

QString QtSerialPort::device() const {
    return m_resolver(QStringLiteral("COM%1").arg(m_line.port));
}

bool QtSerialPort::applySettings(QSerialPort& port, const LineSettings& line) {
    using quorvel::Parity;
    const QSerialPort::Parity parity = line.parity == Parity::Even  ? QSerialPort::EvenParity
                                       : line.parity == Parity::Odd ? QSerialPort::OddParity
                                                                    : QSerialPort::NoParity;
    if (line.dataBits < 5 || line.dataBits > 8 || (line.stopBits != 1 && line.stopBits != 2))
        return false;
    using quorvel::FlowControl;
    const QSerialPort::FlowControl flow =
        line.flow == FlowControl::XonXoff  ? QSerialPort::SoftwareControl
        : line.flow == FlowControl::RtsCts ? QSerialPort::HardwareControl
                                           : QSerialPort::NoFlowControl;
    return port.setBaudRate(line.baudRate) && port.setParity(parity) &&
           port.setDataBits(static_cast<QSerialPort::DataBits>(line.dataBits)) &&
           port.setStopBits(line.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
           port.setFlowControl(flow);
}

bool QtSerialPort::open() {
    if (m_port.isOpen()) return true;
    const QString com = QStringLiteral("COM%1").arg(m_line.port);
    const QString dev = device();
    m_port.setPortName(dev);
    m_openDevice = dev;
    m_error.clear();
    // The devices tried before the one opened did not exist: the message names them all.
    QStringList tried = m_candidates ? m_candidates(com) : QStringList();
    const qsizetype at = tried.indexOf(dev);
    tried = at < 0 ? QStringList{dev} : tried.first(at + 1);
    const QString skipped =
        tried.size() > 1 ? QStringLiteral("%1 tried %2: no such device; ")
                               .arg(com, QStringList(tried.first(tried.size() - 1)).join(u", "))
                         : QString();
    if (!m_port.open(QIODevice::ReadWrite)) {
        switch (m_port.error()) {
            case QSerialPort::DeviceNotFoundError:
                m_error = tried.size() > 1 ? QStringLiteral("%1 tried %2: no such device.")
                                                 .arg(com, tried.join(QStringLiteral(", ")))
                                           : QStringLiteral("%1: no such device.").arg(dev);
                break;
            case QSerialPort::PermissionError: {
#ifdef Q_OS_WIN
                const bool inUse = true;  // access to a COM port is refused only while held
#else
                // The same error means "in use" when the device itself may be opened.
                const QFileInfo info(dev);
                const bool inUse = info.isReadable() && info.isWritable();
#endif
                if (inUse)
                    m_error = QStringLiteral("%1 is in use by another program (%2).")
                                  .arg(dev, m_port.errorString());
                else
                    m_error = QStringLiteral(
                                  "%1: permission denied (%2). To use serial ports, your user "
                                  "must belong to the dialout group: sudo usermod -aG dialout "
                                  "$USER, then log in again.")
                                  .arg(dev, m_port.errorString());
                break;
            }
            default:
                m_error = QStringLiteral("%1: %2").arg(dev, m_port.errorString());
        }
        if (m_port.error() != QSerialPort::DeviceNotFoundError) m_error.prepend(skipped);
        return false;
    }
    if (!applySettings(m_port, m_line)) {
        m_error =
            QStringLiteral("%1: the line settings %2 cannot be used (%3).")
                .arg(dev, QString::fromStdString(quorvel::lineText(m_line)), m_port.errorString());
        m_port.close();
        return false;
    }
    m_lastSignals = m_port.pinoutSignals();
    m_signalPoll.start();
    return true;
}

bool QtSerialPort::write(const QByteArray& data) {
    return m_port.isOpen() && m_port.write(data) == data.size();
}

namespace {

// Bytes in the system's queue for the line, held back by flow control or not yet sent.
// A pseudo-terminal says none: what is written there already waits on the other side.
qint64 systemQueue(const QSerialPort& port) {
#ifdef Q_OS_WIN
    COMSTAT status{};
    DWORD errors = 0;
    if (ClearCommError(port.handle(), &errors, &status)) return status.cbOutQue;
#else
    int waiting = 0;
    if (ioctl(port.handle(), TIOCOUTQ, &waiting) == 0) return waiting;
#endif
    return 0;
}

// A read or write that did nothing is no pulled cable by itself: the XON and XOFF the
// system takes for itself wake the port too. The line is gone when the system says it hung up.
bool hungUp(const QSerialPort& port) {
#ifdef Q_OS_WIN
    Q_UNUSED(port);
    return true;
#else
    pollfd p{static_cast<int>(port.handle()), POLLIN, 0};
    return ::poll(&p, 1, 0) < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#endif
}

}  // namespace

qint64 QtSerialPort::unsent() const {
    const qint64 queued = m_port.bytesToWrite();  // not yet handed to the system
    return m_port.isOpen() ? queued + systemQueue(m_port) : queued;
}

void QtSerialPort::discardOutput() {
    // A flush of an empty queue would still take back what a pseudo-terminal's other side
    // has not read yet, though it went out; what is not handed over goes with the close.
    if (m_port.isOpen() && systemQueue(m_port) > 0) m_port.clear(QSerialPort::Output);
}

void QtSerialPort::close() {
    m_signalPoll.stop();
    if (m_port.isOpen()) m_port.close();
}

void QtSerialPort::onError(QSerialPort::SerialPortError error) {
    // A pulled cable or a closed peer shows as a read or resource error, repeated
    // for as long as the port stays open: close it at once and say so once.
    if (!m_port.isOpen()) return;
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError) return;
    if (!hungUp(m_port)) {
        m_port.clearError();
        // A read that found nothing turns the port's reading off; a look at what waits
        // turns it on again.
        char next = 0;
        if (error == QSerialPort::ResourceError && m_port.peek(&next, 1) > 0)
            emit commEvent(ComEvReceive);
        return;
    }
    // The port's own error text is stale here; say what it means.
    m_error = QStringLiteral("%1 was unplugged or stopped answering.").arg(m_openDevice);
    close();
    emit lineLost(m_error);
}

void QtSerialPort::pollLineSignals() {
    if (!m_port.isOpen()) return;
    const QSerialPort::PinoutSignals now = m_port.pinoutSignals();
    const QSerialPort::PinoutSignals changed = now ^ m_lastSignals;
    m_lastSignals = now;
    if (changed & QSerialPort::ClearToSendSignal) emit commEvent(ComEvCTS);
    if (changed & QSerialPort::DataSetReadySignal) emit commEvent(ComEvDSR);
    if (changed & QSerialPort::DataCarrierDetectSignal) emit commEvent(ComEvCD);
    if (changed & QSerialPort::RingIndicatorSignal) emit commEvent(ComEvRing);
}

}  // namespace platform
