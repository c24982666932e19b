#pragma once
// A pseudo-terminal pair: the test writes into the master what an instrument would
// send, the program opens the slave as its serial port.

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QByteArray>
#include <QString>
#include <QTest>
#include <cerrno>

namespace download_tests {

class PtyPair {
public:
    PtyPair() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) return;
        termios t{};
        // Raw from the start: a cooked line would eat 0x03 and turn CR into LF.
        if (tcgetattr(m_master, &t) == 0) {
            cfmakeraw(&t);
            tcsetattr(m_master, TCSANOW, &t);
        }
        // Non-blocking, so a long send lets the program read meanwhile.
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_slave = QString::fromLocal8Bit(ptsname(m_master));
    }
    ~PtyPair() { closeMaster(); }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool ok() const { return m_master >= 0 && !m_slave.isEmpty(); }
    QString slave() const { return m_slave; }

    /// Sends bytes as the instrument would, with the event loop running while the line
    /// is full; false when the line failed.
    bool send(const QByteArray& data) {
        qsizetype done = 0;
        while (done < data.size()) {
            const ssize_t k =
                ::write(m_master, data.constData() + done, static_cast<size_t>(data.size() - done));
            if (k < 0 && (errno == EAGAIN || errno == EINTR)) {
                QTest::qWait(1);  // the line is full until the program reads
                continue;
            }
            if (k < 0) return false;
            done += k;
        }
        return true;
    }
    /// The cable is pulled.
    void closeMaster() {
        if (m_master >= 0) ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    QString m_slave;
};

}  // namespace download_tests
