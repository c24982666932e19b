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

    void setCommPort(int n) override { m_commPort = n; }
    int commPort() const override { return m_commPort; }
    void setSettings(const QString& settings) override { m_settings = settings; }
    QString settings() const override { return m_settings; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    QByteArray input() override { return m_port.readAll(); }
    QString device() const override;
    QString errorString() const override { return m_error; }

    /// Applies "baud,parity,data,stop" to a port; false on a text it cannot use.
    static bool applySettings(QSerialPort& port, const QString& settings);

private:
    void onError(QSerialPort::SerialPortError error);
    void pollLineSignals();

    PortResolver m_resolver;
    QSerialPort m_port;
    QTimer m_signalPoll;
    int m_commPort = 1;
    QString m_settings = QStringLiteral("9600,N,8,1");
    QString m_error;
    QString m_openDevice;  // the device of the last open, for messages
    QSerialPort::PinoutSignals m_lastSignals;
};

}  // namespace platform
