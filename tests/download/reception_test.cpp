// The reception's states on a scripted port: captions, panels, counts, the
// time-out and the failures that end a reception.
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "Rig.h"

using namespace download_tests;

namespace {

enum Failure { PortWontOpen, CaptureWontCreate, WriteFails, LineLost };
const QString kRunning = u"Stop | Waiting for ... | Ready | 0 | port capture timer"_s;

}  // namespace

class ReceptionTest : public QObject {
    Q_OBJECT
private slots:
    void startOpensThePortAndCreatesTheCapture_data() {
        QTest::addColumn<QString>("portName");
        QTest::addColumn<QString>("folder");  // "~" is drive C:
        QTest::addColumn<QString>("line");    // baud,parity,data bits,stop bits
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("normalised");
        QTest::newRow("drive C:") << "COM1"
                                  << "~"
                                  << "38400,N,8,1" << 1 << "~/";
        QTest::newRow("blank folder") << "COM3"
                                      << " "
                                      << "9600,E,7,2" << 3 << "~/";
        QTest::newRow("no separator") << "COM4"
                                      << "~/sub"
                                      << "1200,O,8,2" << 4 << "~/sub/";
        QTest::newRow("unknown port") << "COM9"
                                      << "~/sub/"
                                      << "19200,N,8,1" << 2 << "~/sub/";
    }
    void startOpensThePortAndCreatesTheCapture() {
        QFETCH(QString, portName);
        QFETCH(QString, folder);
        QFETCH(QString, line);
        QFETCH(int, number);
        QFETCH(QString, normalised);
        ScriptedRig r;
        QVERIFY(QDir(r.home()).mkdir(u"sub"_s));
        const QString capture = normalised.replace(u'~', r.home()) + u"$R55.tmp"_s;
        QVERIFY(writeFile(capture, "left from last time"));
        r.c.lblTime->setText(u"17"_s);  // a count left by an earlier reception
        r.port.setCommPort(2);          // an unknown name leaves it so
        RunSettingsRecord& rs = r.module.RunSettings;
        const QStringList l = line.split(u',');
        rs.PortName = portName;
        rs.DefaultPath = folder.replace(u'~', r.home());
        std::tie(rs.BaudRate, rs.Parity, rs.DataBits, rs.StopBits) =
            std::tuple(l[0].toInt(), l[1], l[2].toShort(), l[3].toShort());
        r.window.cmdReceive_Click();

        QCOMPARE(r.port.commPort(), number);
        QCOMPARE(r.port.settings(), line);
        QCOMPARE(rs.DefaultPath, normalised);
        QCOMPARE(r.module.CaptureFilePath, capture);
        QCOMPARE(readFile(capture), QByteArray());
        QCOMPARE(state(r), kRunning);
        QCOMPARE(shown(r.dialogs), QStringList());
    }

    void timeOutComesAtTheTwentyFirstTickAndOnlyOnce() {
        ScriptedRig r;
        r.window.cmdReceive_Click();
        for (int tick = 1; tick <= 20; ++tick) {
            r.window.Timer1_Timer();
            QCOMPARE(r.window.panel(1), u"Waiting for ... ( %1)"_s.arg(tick));
        }
        QCOMPARE(state(r), u"Stop | Waiting for ... ( 20) | Ready | 20 | port capture timer"_s);
        QCOMPARE(shown(r.dialogs), QStringList());

        // While the message is open, the clock goes on ticking and data may come.
        r.dialogs.whileShowing = [&] {
            for (int i = 0; i < 5; ++i) r.window.Timer1_Timer();
            r.port.receive("late");
        };
        r.window.Timer1_Timer();
        const QStringList timeout{
            u"No Data is received from Total Station!\rPlease Check cable "
            u"and settings!\rNo connection was established ! "_s};
        QCOMPARE(shown(r.dialogs), timeout);
        QCOMPARE(state(r), u"Receive | Ready | Ready | 0 | idle"_s);
        QCOMPARE(readFile(r.capturePath()), QByteArray("late"));  // kept, closed
        for (int i = 0; i < 30; ++i) r.window.Timer1_Timer();
        QCOMPARE(shown(r.dialogs), timeout);
        QCOMPARE(r.c.lblTime->text(), u"0"_s);
    }

    void lineSignalsEndTheWaitingAndAreCounted() {
        ScriptedRig r;
        r.module.LineCount = 7;
        r.window.cmdReceive_Click();
        for (int i = 0; i < 5; ++i) r.window.Timer1_Timer();
        r.port.signalEvent(platform::ComEvCTS);
        QCOMPARE(r.module.LineCount, 8);
        for (int i = 0; i < 40; ++i) r.window.Timer1_Timer();  // no more waiting
        r.port.signalEvent(platform::ComEvDSR);
        r.port.signalEvent(platform::ComEvRing);
        QCOMPARE(r.module.LineCount, 10);
        QCOMPARE(state(r), u"Stop | Waiting for ... ( 5) | Ready | 5 | port capture idle"_s);
        QCOMPARE(shown(r.dialogs), QStringList());
    }

    void chunksGoToTheCaptureUntilEtxThenNothingCounts() {
        ScriptedRig r;
        r.window.cmdReceive_Click();
        r.port.receive("\x02\r\n00NMSDR\r\n");
        QCOMPARE(state(r), u"Stop | Start receieve ... | Start | 0 | port capture idle"_s);
        r.port.receive("no record\r\n");
        QCOMPARE(r.window.panel(1), u"Receiving... "_s);
        r.port.receive(QByteArray());  // an empty chunk counts as well
        QCOMPARE(r.module.LineCount, 3);

        // No job record in the capture: it stays, with what followed ETX in its chunk.
        const QByteArray last("tail\003after\002\003");
        r.port.receive(last);
        QCOMPARE(r.module.LineCount, 3);
        QCOMPARE(state(r), u"Receive | Ready | end | 0 | idle"_s);
        QCOMPARE(readFile(r.capturePath()), "\x02\r\n00NMSDR\r\nno record\r\n" + last);
        const QStringList noJob{u"File could not be created!\rUnknown file handling Error! "_s};
        QCOMPARE(shown(r.dialogs), noJob);

        // After the end, port events change nothing but the timer and the idle flag.
        r.c.Timer1->start();
        r.module.RunSettings.DownloadIdle = false;
        r.port.receive("\x02stray\x03");
        r.port.signalEvent(platform::ComEvCD);
        QCOMPARE(state(r), u"Receive | Ready | end | 0 | idle"_s);
        QCOMPARE(r.module.LineCount, 3);
        QCOMPARE(shown(r.dialogs), noJob);

        r.window.cmdReceive_Click();  // the next start handles events again
        QCOMPARE(state(r), kRunning);
        r.port.receive("x");
        QCOMPARE(r.module.LineCount, 4);
        QCOMPARE(readFile(r.capturePath()), QByteArray("x"));
    }

    void failuresEndTheReceptionWithOneProblem_data() {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("said");     // in the message
        QTest::addColumn<QByteArray>("kept");  // the capture afterwards; null: unread
        QTest::addColumn<QString>("after");
        const QByteArray none("<missing>");
        const QString idle = u"Receive | Ready | Ready | 0 | idle"_s;
        QTest::newRow("port") << int(PortWontOpen) << "/dev/ttyUSB0: no such device." << none
                              << u"Receive | Ready |  | 0 | idle timer"_s;
        QTest::newRow("capture") << int(CaptureWontCreate)
                                 << "/missing/$R55.tmp: No such file or directory" << none
                                 << u"Receive | Ready |  | 0 | idle timer"_s;
        QTest::newRow("write") << int(WriteFails) << "No space left on device" << QByteArray()
                               << idle;
        QTest::newRow("line lost")
            << int(LineLost) << "the connection was lost (gone)."
            << QByteArray("\x02\r\n10NMJOB\r\n") << u"Receive | Ready | Start | 0 | idle"_s;
    }
    void failuresEndTheReceptionWithOneProblem() {
        QFETCH(int, failure);
        QFETCH(QString, said);
        QFETCH(QByteArray, kept);
        QFETCH(QString, after);
        ScriptedRig r;
        r.port.failOpen = failure == PortWontOpen;
        r.port.openError = u"/dev/ttyUSB0: no such device."_s;
        if (failure == CaptureWontCreate) r.module.RunSettings.DefaultPath = r.at(u"missing"_s);
        if (failure == WriteFails) {
            if (!QFileInfo::exists(u"/dev/full"_s)) QSKIP("no /dev/full");
            QVERIFY(QFile::link(u"/dev/full"_s, r.capturePath()));
        }
        r.window.cmdReceive_Click();
        if (failure == WriteFails || failure == LineLost) r.port.receive("\x02\r\n10NMJOB\r\n");
        if (failure == LineLost) r.port.lose(u"/dev/ttyUSB0: "_s + said);

        const QStringList one = shown(r.dialogs);
        QVERIFY2(one.size() == 1 && one[0].startsWith(u"The ") && one[0].contains(said),
                 qPrintable(one.join(u'\n')));
        QCOMPARE(state(r), after);
        if (!kept.isNull()) QCOMPARE(readFile(r.capturePath()), kept);
        if (failure == LineLost) QCOMPARE(r.c.EdObs->text(), r.capturePath());  // as Stop does

        // Nothing runs any more: no time-out, no second message.
        for (int i = 0; i < 30; ++i) r.window.Timer1_Timer();
        r.port.receive("more");
        r.port.lose(u"again"_s);
        QCOMPARE(shown(r.dialogs), one);

        r.port.failOpen = false;  // the next click starts normally
        r.module.RunSettings.DefaultPath = r.home();
        r.window.cmdReceive_Click();
        QCOMPARE(state(r), kRunning);
    }
};

QTEST_MAIN(ReceptionTest)
#include "reception_test.moc"
