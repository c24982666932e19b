// The reception's states on a scripted port: captions, panels, counts, the
// time-out and the failures that end a reception.
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "Rig.h"

using namespace download_tests;

namespace {

enum Failure { PortWontOpen, CaptureWontCreate, WriteFails, LineLost };

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
        QVERIFY(QDir(r.home()).mkdir(QStringLiteral("sub")));
        normalised.replace(QLatin1Char('~'), r.home());
        const QString capture = normalised + QStringLiteral("$R55.tmp");
        QVERIFY(writeFile(capture, "left from last time"));
        r.c.lblTime->setText(QStringLiteral("17"));  // a count left by an earlier reception
        r.port.setCommPort(2);                       // an unknown name leaves it so
        RunSettingsRecord& rs = r.module.RunSettings;
        const QStringList parts = line.split(QLatin1Char(','));
        rs.PortName = portName;
        rs.DefaultPath = folder.replace(QLatin1Char('~'), r.home());
        rs.BaudRate = parts[0].toInt();
        rs.Parity = parts[1];
        rs.DataBits = parts[2].toShort();
        rs.StopBits = parts[3].toShort();
        r.window.cmdReceive_Click();

        QCOMPARE(r.port.commPort(), number);
        QCOMPARE(r.port.settings(), line);
        QVERIFY(r.port.isOpen() && r.window.captureOpen());
        QCOMPARE(rs.DefaultPath, normalised);
        QCOMPARE(r.module.CaptureFilePath, capture);
        QCOMPARE(readFile(capture), QByteArray());
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Stop"));
        QCOMPARE(r.window.panel(1), QStringLiteral("Waiting for ..."));
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("Ready"));
        QCOMPARE(r.c.lblTime->text(), QStringLiteral("0"));
        QVERIFY(r.c.Timer1->isActive());
        QVERIFY(!rs.DownloadIdle);
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void timeOutComesAtTheTwentyFirstTickAndOnlyOnce() {
        ScriptedRig r;
        r.window.cmdReceive_Click();
        for (int tick = 1; tick <= 20; ++tick) {
            r.window.Timer1_Timer();
            QCOMPARE(r.window.panel(1), QStringLiteral("Waiting for ... ( %1)").arg(tick));
        }
        QCOMPARE(r.c.lblTime->text(), QStringLiteral("20"));
        QVERIFY(r.dialogs.messages.isEmpty());

        // While the message is open, the clock goes on ticking and data may come.
        r.dialogs.whileShowing = [&] {
            for (int i = 0; i < 5; ++i) r.window.Timer1_Timer();
            r.port.receive("late");
        };
        r.window.Timer1_Timer();
        QCOMPARE(r.dialogs.messages.size(), 1);
        const auto& shown = r.dialogs.messages[0];
        QCOMPARE(shown.text,
                 QStringLiteral("No Data is received from Total Station!\rPlease Check "
                                "cable and settings!\rNo connection was established ! "));
        QCOMPARE(shown.caption, QStringLiteral("Problem"));
        QCOMPARE(shown.icon, platform::Icon::Critical);
        QCOMPARE(shown.buttons, platform::Buttons::Ok);

        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QVERIFY(!r.port.isOpen() && !r.window.captureOpen());
        QVERIFY(r.module.RunSettings.DownloadIdle);
        QCOMPARE(readFile(r.capturePath()), QByteArray("late"));  // kept, closed
        for (int i = 0; i < 30; ++i) r.window.Timer1_Timer();
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.c.lblTime->text(), QStringLiteral("0"));
    }

    void lineSignalsEndTheWaitingAndAreCounted() {
        ScriptedRig r;
        r.module.LineCount = 7;
        r.window.cmdReceive_Click();
        for (int i = 0; i < 5; ++i) r.window.Timer1_Timer();
        r.port.signalEvent(platform::ComEvCTS);
        QVERIFY(!r.c.Timer1->isActive());
        QVERIFY(r.module.RunSettings.DownloadIdle);
        QCOMPARE(r.module.LineCount, 8);
        for (int i = 0; i < 40; ++i) r.window.Timer1_Timer();
        QVERIFY(r.dialogs.messages.isEmpty());
        QCOMPARE(r.c.lblTime->text(), QStringLiteral("5"));
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Stop"));
        QVERIFY(r.port.isOpen() && r.window.captureOpen());
        r.port.signalEvent(platform::ComEvDSR);
        r.port.signalEvent(platform::ComEvRing);
        QCOMPARE(r.module.LineCount, 10);
        QCOMPARE(r.window.panel(1), QStringLiteral("Waiting for ... ( 5)"));  // no data yet
    }

    void chunksGoToTheCaptureUntilEtxThenNothingCounts() {
        ScriptedRig r;
        r.window.cmdReceive_Click();
        r.port.receive("\x02\r\n00NMSDR\r\n");
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("Start"));
        QCOMPARE(r.window.panel(1), QStringLiteral("Start receieve ..."));
        r.port.receive("no record\r\n");
        QCOMPARE(r.window.panel(1), QStringLiteral("Receiving... "));
        r.port.receive(QByteArray());  // an empty chunk counts as well
        QCOMPARE(r.module.LineCount, 3);

        // No job record in the capture: it stays, with what followed ETX in its chunk.
        const QByteArray last(
            "tail\x03"
            "after\x02\x03",
            12);
        r.port.receive(last);
        QCOMPARE(r.module.LineCount, 3);
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("end"));
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QVERIFY(!r.port.isOpen() && !r.window.captureOpen());
        QCOMPARE(readFile(r.capturePath()), "\x02\r\n00NMSDR\r\nno record\r\n" + last);
        QCOMPARE(r.dialogs.messages.size(), 1);  // readdump ran once
        QCOMPARE(r.dialogs.messages[0].text,
                 QStringLiteral("File could not be created!\rUnknown file handling Error! "));

        // After the end, port events change nothing but the timer and the idle flag.
        r.c.Timer1->start();
        r.module.RunSettings.DownloadIdle = false;
        r.port.receive("\x02stray\x03");
        r.port.signalEvent(platform::ComEvCD);
        QVERIFY(!r.c.Timer1->isActive());
        QVERIFY(r.module.RunSettings.DownloadIdle);
        QCOMPARE(r.module.LineCount, 3);
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("end"));
        QCOMPARE(r.dialogs.messages.size(), 1);

        r.window.cmdReceive_Click();  // the next start handles events again
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("Ready"));
        r.port.receive("x");
        QCOMPARE(r.module.LineCount, 4);
        QCOMPARE(readFile(r.capturePath()), QByteArray("x"));
    }

    void failuresEndTheReceptionWithOneProblem_data() {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("said");     // in the message
        QTest::addColumn<QByteArray>("kept");  // the capture afterwards; null: unread
        QTest::newRow("port") << int(PortWontOpen) << "/dev/ttyUSB0: no such device."
                              << QByteArray("<missing>");
        QTest::newRow("capture") << int(CaptureWontCreate)
                                 << "/missing/$R55.tmp: No such file or directory"
                                 << QByteArray("<missing>");
        QTest::newRow("write") << int(WriteFails) << "No space left on device" << QByteArray();
        QTest::newRow("line lost") << int(LineLost) << "the connection was lost (gone)."
                                   << QByteArray("\x02\r\n10NMJOB\r\n");
    }
    void failuresEndTheReceptionWithOneProblem() {
        QFETCH(int, failure);
        QFETCH(QString, said);
        QFETCH(QByteArray, kept);
        ScriptedRig r;
        r.port.failOpen = failure == PortWontOpen;
        r.port.openError = QStringLiteral("/dev/ttyUSB0: no such device.");
        if (failure == CaptureWontCreate)
            r.module.RunSettings.DefaultPath = r.at(QStringLiteral("missing"));
        if (failure == WriteFails) {
            if (!QFileInfo::exists(QStringLiteral("/dev/full"))) QSKIP("no /dev/full");
            QVERIFY(QFile::link(QStringLiteral("/dev/full"), r.capturePath()));
        }
        r.window.cmdReceive_Click();
        if (failure == WriteFails || failure == LineLost) {
            QVERIFY(r.window.captureOpen());
            r.port.receive("\x02\r\n10NMJOB\r\n");
        }
        if (failure == LineLost) r.port.lose(QStringLiteral("/dev/ttyUSB0: ") + said);

        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.dialogs.messages[0].caption, QStringLiteral("Problem"));
        QCOMPARE(r.dialogs.messages[0].icon, platform::Icon::Critical);
        QVERIFY2(r.dialogs.messages[0].text.contains(said), qPrintable(r.dialogs.messages[0].text));
        QVERIFY(!r.port.isOpen() && !r.window.captureOpen());
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
        QVERIFY(r.module.RunSettings.DownloadIdle);
        if (!kept.isNull()) QCOMPARE(readFile(r.capturePath()), kept);
        if (failure == LineLost) QCOMPARE(r.c.EdObs->text(), r.capturePath());  // as Stop does

        // Nothing runs any more: no time-out, no second message.
        for (int i = 0; i < 30; ++i) r.window.Timer1_Timer();
        r.port.receive("more");
        r.port.lose(QStringLiteral("again"));
        QCOMPARE(r.dialogs.messages.size(), 1);

        r.port.failOpen = false;  // the next click starts normally
        r.module.RunSettings.DefaultPath = r.home();
        r.window.cmdReceive_Click();
        QVERIFY(r.port.isOpen() && r.window.captureOpen());
    }
};

QTEST_MAIN(ReceptionTest)
#include "reception_test.moc"
