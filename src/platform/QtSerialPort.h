// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QSerialPort>
#include <QTimer>

#include "SerialPort.h"

namespace platform {

/// The real serial port. Every event reaches the owner on the GUI thread, in order.
class QtSerialPort final : public SerialPort {
    Q_OBJECT
public:
    explicit QtSerialPort(PortResolver resolver = resolveComPort, QObject* parent = nullptr);
    ~QtSerialPort() override;

    void setLine(const LineSettings& line) override { m_line = line; }
    LineSettings line() const override { return m_line; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    QByteArray input() override { return m_port.readAll(); }
    bool write(const QByteArray& data) override;
    qint64 unsent() const override;
    void discardOutput() override;
    QString device() const override;
    QString errorString() const override { return m_error; }

    /// Applies the line settings to an open port; false on one it refuses.
    static bool applySettings(QSerialPort& port, const LineSettings& line);
    /// The devices a port name may stand for, named in the message when none opens.
    void setCandidates(PortCandidates candidates) { m_candidates = std::move(candidates); }

private:
    void onError(QSerialPort::SerialPortError error);
    void pollLineSignals();

    PortResolver m_resolver;
    PortCandidates m_candidates = comPortCandidates;
    QSerialPort m_port;
    QTimer m_signalPoll;
    LineSettings m_line;
    QString m_error;
    QString m_openDevice;  // the device of the last open, for messages
    QSerialPort::PinoutSignals m_lastSignals;
};

}  // namespace platform
