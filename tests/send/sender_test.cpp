// SPDX-License-Identifier: GPL-3.0-or-later
// The sender on a scripted port: what it says as points go out, and the count a Stop
// leaves. (The real port and the instrument's side: the window's and quorvel-send's tests.)
#include <QtTest>

#include "Scripted.h"
#include "core/send.h"
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

}  // namespace

class SenderTest : public QObject {
    Q_OBJECT
private slots:
    // Each point counted as it goes, the time left from the pace so far; over an hour in
    // hours. None left: none said.
    void progressSaysTheTimeLeft_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("elapsedMs");
        QTest::addColumn<QString>("said");  // each text after the first, by '|'
        QTest::newRow("seconds")
            << 3 << 6500
            << u"1 of 3 points · 0:06 · about 0:13 left|2 of 3 points · 0:06 · about 0:03 left|"
               "3 of 3 points · 0:06|3 of 3 points · 0:06"_s;
        QTest::newRow("hours") << 2 << 3723000
                               << u"1 of 2 points · 1:02:03 · about 1:02:03 left|"
                                  "2 of 2 points · 1:02:03|2 of 2 points · 1:02:03"_s;
    }
    void progressSaysTheTimeLeft() {
        QFETCH(int, points);
        QFETCH(int, elapsedMs);
        QFETCH(QString, said);
        ScriptedSerialPort port;
        Sender sender(port, nullptr);
        qint64 now = 0;
        sender.setClock([&] { return now; });
        QStringList texts;
        connect(&sender, &Sender::progressChanged, this, [&](const QString& t) { texts << t; });
        QString error;
        QVERIFY(sender.start(job(points), 2, {}, 0, &error));
        QCOMPARE(texts.takeFirst(), u"0 of %1 points · 0:00"_s.arg(points));
        now = elapsedMs;
        QTRY_COMPARE(sender.state(), Sender::State::Idle);
        QCOMPARE(texts.join(u'|'), said);
        QCOMPARE(port.sent, QByteArray::fromStdString(quorvel::framedText(job(points))));
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
