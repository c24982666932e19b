// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A pseudo-terminal pair for tests of the serial line: the test is the instrument at the
// master, the program opens the slave as its serial port.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QTest>
#include <cerrno>
#include <cstdlib>

namespace testing_support {

/// A pseudo-terminal pair: the test writes into the master what an instrument would
/// send, the program opens the slave as its serial port.
struct PtyPair {
    PtyPair() {
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        termios t{};  // raw: a cooked line would eat 0x03 and turn CR into LF
        if (tcgetattr(master, &t) == 0) cfmakeraw(&t), tcsetattr(master, TCSANOW, &t);
        // Non-blocking, so a long send lets the program read meanwhile.
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
        slave = QString::fromLocal8Bit(ptsname(master));
    }
    ~PtyPair() { ::close(master); }
    /// Sends as the instrument would, with the event loop running while the line is full.
    bool send(const QByteArray& data) {
        for (qsizetype done = 0, k = 0; done < data.size(); done += std::max<qsizetype>(k, 0)) {
            k = ::write(master, data.constData() + done, size_t(data.size() - done));
            if (k < 0 && errno != EAGAIN && errno != EINTR) return false;
            if (k < 0) QTest::qWait(1);  // full until the program reads
        }
        return true;
    }
    /// What the program has written so far, read within `ms`.
    QByteArray read(int ms = 0) {
        QByteArray got;
        char buf[4096];
        for (QDeadlineTimer deadline(ms);;) {
            const ssize_t k = ::read(master, buf, sizeof buf);
            if (k > 0) got.append(buf, k);
            if (k <= 0 && deadline.hasExpired()) return got;
            if (k <= 0) QTest::qWait(1);
        }
    }
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    QString slave;
};

}  // namespace testing_support
