// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The serial line the instrument sends on. The main window drives it through this
// interface; QtSerialPort is the real port, tests put a scripted one in its place.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/settings.h"

namespace platform {

/// Kinds of port event, numbered as the communications control numbers them.
enum CommEventKind : int {
    ComEvReceive = 2,  // data received
    ComEvCTS = 3,      // clear-to-send changed
    ComEvDSR = 4,      // data-set-ready changed
    ComEvCD = 5,       // carrier detect changed
    ComEvRing = 6,     // ring indicator
};

using quorvel::LineSettings;

/// Resolves a port name "COM1".."COM4" to the device to open.
using PortResolver = std::function<QString(const QString& comName)>;
/// The devices a port name may stand for, in the order they are tried.
using PortCandidates = std::function<QStringList(const QString& comName)>;

/// On Windows "COMn"; elsewhere /dev/ttyUSB(n-1), /dev/ttyACM(n-1), /dev/ttyS(n-1).
QStringList comPortCandidates(const QString& comName);
/// The first of comPortCandidates() that exists (the last when none does).
QString resolveComPort(const QString& comName);

class SerialPort : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialPort() override = default;

    /// The port and line settings the next open() uses.
    virtual void setLine(const LineSettings& line) = 0;
    virtual LineSettings line() const = 0;
    /// Opens the port; false with errorString() when it cannot be opened.
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    /// Everything received and not yet read.
    virtual QByteArray input() = 0;
    /// Queues `data` to go out after what is waiting; false when the port refuses it.
    virtual bool write(const QByteArray& data) = 0;
    /// Bytes queued that have not yet gone out on the line (held back by flow control
    /// as well).
    virtual qint64 unsent() const = 0;
    /// Drops what the system holds back for the line; what the port has not handed to
    /// the system yet goes when it closes.
    virtual void discardOutput() = 0;
    /// The device the port number resolves to now.
    virtual QString device() const = 0;
    /// Why the last open failed or why the line was lost, in words for the user.
    virtual QString errorString() const = 0;

signals:
    /// A port event: data received (ComEvReceive) or a line signal changed.
    void commEvent(int kind);
    /// The device went away or failed while open; the port is already closed.
    void lineLost(const QString& reason);
    /// Bytes queued by write() went on to the device.
    void written();
};

}  // namespace platform
