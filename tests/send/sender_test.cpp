// SPDX-License-Identifier: GPL-3.0-or-later
// Points sent on a real serial port, a pseudo-terminal whose master is the instrument.
#include <QtTest>

#include "Pty.h"
#include "Scripted.h"
#include "core/send.h"
#include "platform/QtSerialPort.h"
#include "send/Sender.h"

using namespace testing_support;
using namespace Qt::StringLiterals;

namespace {

std::vector<std::string> job(int points) {
    std::vector<std::string> lines{"00NMSDR33               07-Dec-26 10:00 111111",
                                   "10NMJOB             121111"};
    for (int i = 1; i <= points; ++i)
        lines.push_back("08KI" + std::string(12, ' ') + std::to_string(1000 + i) +
                        "1000.000        2000.000        50.000          PEG             ");
    return lines;
}

// Complete point lines among the bytes.
int pointsIn(const QByteArray& bytes) {
    int n = 0;
    for (const QByteArray& line : bytes.split('\n'))
        n += line.contains("08KI") && line.endsWith('\r');
    return n;
}

}  // namespace

class SenderTest : public QObject {
    Q_OBJECT
private slots:
    void everyLineArrivesAsWritten() {
        PtyPair pty;
        platform::QtSerialPort port([&](const QString&) { return pty.slave; });
        Sender sender(port, nullptr);
        QList<Sender::Ending> endings;
        connect(&sender, &Sender::finished, this,
                [&](Sender::Ending e, const QString&) { endings << e; });
        const auto lines = job(20);
        QString error;
        QVERIFY(sender.start(lines, 2, {}, 0, &error));
        QByteArray got;
        QVERIFY(QTest::qWaitFor([&] {
            got += pty.read();
            return got.endsWith('\x03');
        }));
        QCOMPARE(got, QByteArray::fromStdString(quorvel::framedText(lines)));
        QTRY_COMPARE(endings, QList{Sender::Ending::Sent});
        QCOMPARE(sender.sent(), 20);
        QVERIFY(!port.isOpen());
    }

    void xoffHoldsTheLine() {
        PtyPair pty;
        platform::QtSerialPort port([&](const QString&) { return pty.slave; });
        Sender sender(port, nullptr);
        const auto lines = job(30);
        quorvel::LineSettings line;
        line.flow = quorvel::FlowControl::XonXoff;
        QString error;
        QVERIFY(sender.start(lines, 2, line, 10, &error));
        QByteArray got;
        QVERIFY(QTest::qWaitFor([&] { return (got += pty.read()).size() > 300; }));
        QVERIFY(pty.send("\x13"));
        got += pty.read(50);  // what was on its way
        const int before = sender.sent();
        const QByteArray held = pty.read(400);
        QCOMPARE(held.size(), 0);
        QCOMPARE(sender.sent(), before);
        QVERIFY(pty.send("\x11"));
        QVERIFY(QTest::qWaitFor([&] { return (got += pty.read()).endsWith('\x03'); }));
        QCOMPARE(got, QByteArray::fromStdString(quorvel::framedText(lines)));
        QTRY_COMPARE(sender.state(), Sender::State::Idle);
        QCOMPARE(sender.sent(), 30);
    }

    void stopCountsThePointsSentInFull() {
        PtyPair pty;
        platform::QtSerialPort port([&](const QString&) { return pty.slave; });
        Sender sender(port, nullptr);
        QString error;
        QVERIFY(sender.start(job(50), 2, {}, 30, &error));
        QByteArray got;
        QVERIFY(QTest::qWaitFor([&] { return pointsIn(got += pty.read()) >= 5; }));
        sender.stop();
        got += pty.read(200);
        QVERIFY(!port.isOpen());
        QCOMPARE(sender.sent(), pointsIn(got));
        qDebug() << sender.sent() << got.size();
    }

    // Stop comes after a point has gone out and before the sender looked: it counts.
    void stopCountsAPointGoneOutUnseen() {
        ScriptedSerialPort port;
        port.holdWrites = true;
        Sender sender(port, nullptr);
        QString error;
        QVERIFY(sender.start(job(3), 2, {}, 0, &error));
        for (int lines = 2; lines <= 3; ++lines) {  // the job record, then the first point
            port.held = 0;
            QTRY_COMPARE(port.sent.count("\r\n"), lines);
        }
        port.held = 0;
        sender.stop();
        QCOMPARE(sender.sent(), 1);
    }
};

QTEST_GUILESS_MAIN(SenderTest)
#include "sender_test.moc"
