// The reception's states on a scripted port: captions, panels, counts, the
// time-out and the failures that end a reception.
#include <QFileInfo>
#include <QTest>

#include "Rig.h"

using namespace download_tests;
using platform::Answer;

namespace {

const QString kTimeoutText = QStringLiteral(
    "No Data is received from Total Station!\rPlease Check cable and settings!\r"
    "No connection was established ! ");

}  // namespace

class ReceptionTest : public QObject {
    Q_OBJECT
private slots:
    void startOpensThePortAndCreatesTheCapture() {
        ScriptedRig r;
        QVERIFY(writeFile(r.capturePath(), "left from last time"));
        r.c.lblTime->setText(QStringLiteral("17"));  // a count left by an earlier reception
        r.window.cmdReceive_Click();

        QCOMPARE(r.port.commPort(), 1);
        QCOMPARE(r.port.settings(), QStringLiteral("38400,N,8,1"));
        QVERIFY(r.port.isOpen());
        QCOMPARE(r.module.RunSettings.DefaultPath, r.home() + QLatin1Char('/'));
        QCOMPARE(r.module.CaptureFilePath, r.capturePath());
        QCOMPARE(readFile(r.capturePath()), QByteArray());
        QVERIFY(r.window.captureOpen());
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Stop"));
        QCOMPARE(r.window.panel(1), QStringLiteral("Waiting for ..."));
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("Ready"));
        QCOMPARE(r.c.lblTime->text(), QStringLiteral("0"));
        QVERIFY(r.c.Timer1->isActive());
        QVERIFY(!r.module.RunSettings.DownloadIdle);
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void portNameSettingsAndFolderAreTakenAtTheStart() {
        const struct {
            QString port;
            int number;
            QString folder;  // relative to the temporary folder; "~" is drive C:
            QString normalised;
        } cases[] = {
            {QStringLiteral("COM3"), 3, QStringLiteral(" "), QStringLiteral("~/")},
            {QStringLiteral("COM4"), 4, QStringLiteral("~/sub"), QStringLiteral("~/sub/")},
            {QStringLiteral("COM9"), 2, QStringLiteral("~/sub/"), QStringLiteral("~/sub/")},
        };
        for (const auto& k : cases) {
            ScriptedRig r;
            QVERIFY(QDir(r.home()).mkdir(QStringLiteral("sub")));
            auto expand = [&](QString s) {
                return s == QLatin1String(" ") ? s : s.replace(QLatin1Char('~'), r.home());
            };
            r.port.setCommPort(2);  // an unknown name leaves the number as it was
            r.module.RunSettings.PortName = k.port;
            r.module.RunSettings.DefaultPath = expand(k.folder);
            r.module.RunSettings.BaudRate = 9600;
            r.module.RunSettings.Parity = QStringLiteral("E");
            r.module.RunSettings.DataBits = 7;
            r.module.RunSettings.StopBits = 2;
            r.window.cmdReceive_Click();
            QCOMPARE(r.port.commPort(), k.number);
            QCOMPARE(r.port.settings(), QStringLiteral("9600,E,7,2"));
            QCOMPARE(r.module.RunSettings.DefaultPath, expand(k.normalised));
            QVERIFY(QFileInfo::exists(expand(k.normalised) + QStringLiteral("$R55.tmp")));
        }
    }

    void timeOutComesAtTheTwentyFirstTickAndOnlyOnce() {
        ScriptedRig r;
        r.window.cmdReceive_Click();
        for (int tick = 1; tick <= 20; ++tick) {
            r.window.Timer1_Timer();
            QCOMPARE(r.c.lblTime->text(), QString::number(tick));
            QCOMPARE(r.window.panel(1), QStringLiteral("Waiting for ... ( %1)").arg(tick));
        }
        QVERIFY(r.dialogs.messages.isEmpty());

        // While the message is open, the clock goes on ticking and data may come.
        r.dialogs.whileShowing = [&] {
            for (int i = 0; i < 5; ++i) r.window.Timer1_Timer();
            r.port.receive("late");
        };
        r.window.Timer1_Timer();
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.dialogs.messages[0].text, kTimeoutText);
        QCOMPARE(r.dialogs.messages[0].caption, QStringLiteral("Problem"));
        QCOMPARE(r.dialogs.messages[0].icon, platform::Icon::Critical);
        QCOMPARE(r.dialogs.messages[0].buttons, platform::Buttons::Ok);

        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QCOMPARE(r.c.lblTime->text(), QStringLiteral("0"));
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.window.captureOpen());
        QVERIFY(r.module.RunSettings.DownloadIdle);
        QCOMPARE(readFile(r.capturePath()), QByteArray("late"));  // kept, closed

        for (int i = 0; i < 30; ++i) r.window.Timer1_Timer();
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.c.lblTime->text(), QStringLiteral("0"));
    }

    void anyPortEventEndsTheWaiting() {
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

    void chunksGoToTheCaptureAndEndAtEtx() {
        ScriptedRig r;
        r.window.cmdReceive_Click();
        r.port.receive(
            "\x02"
            "00NMSDR\r\n");
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("Start"));
        QCOMPARE(r.window.panel(1), QStringLiteral("Start receieve ..."));
        r.port.receive("no record\r\n");
        QCOMPARE(r.window.panel(1), QStringLiteral("Receiving... "));
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("Start"));
        r.port.receive(QByteArray());  // an empty chunk counts as well
        QCOMPARE(r.module.LineCount, 3);
        QCOMPARE(readFile(r.capturePath()), QByteArray("\x02"
                                                       "00NMSDR\r\nno record\r\n"));

        // The capture holds no job record, so it stays for inspection.
        r.port.receive(
            QByteArray("tail\x03"
                       "after\x02\x03",
                       12));
        QCOMPARE(r.module.LineCount, 3);
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("end"));
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QVERIFY(!r.port.isOpen() && !r.window.captureOpen());
        QCOMPARE(readFile(r.capturePath()), QByteArray("\x02"
                                                       "00NMSDR\r\nno record\r\ntail\x03"
                                                       "after\x02\x03"));
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

        // The next start handles events again.
        r.window.cmdReceive_Click();
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("Ready"));
        r.port.receive("x");
        QCOMPARE(r.module.LineCount, 4);
        QCOMPARE(readFile(r.capturePath()), QByteArray("x"));
    }

    void stxAndEtxInOneChunk() {
        ScriptedRig r;
        r.window.cmdReceive_Click();
        r.port.receive("\x02\r\n10NMONE\r\n1\r\n\x03");
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("end"));
        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
        QCOMPARE(readFile(r.home() + QStringLiteral("/ONE.sdr")), QByteArray("10NMONE\r\n1\r\n"));
        QVERIFY(!QFileInfo::exists(r.capturePath()));
        QCOMPARE(r.module.LineCount, 0);
    }

    void stopKeepsWhatArrivedAndNamesTheCapture() {
        ScriptedRig r;
        r.window.cmdReceive_Click();
        for (int i = 0; i < 4; ++i) r.window.Timer1_Timer();
        r.window.cmdReceive_Click();  // Stop while waiting
        QCOMPARE(r.c.lblTime->text(), QStringLiteral("0"));
        QCOMPARE(r.c.EdObs->text(), r.capturePath());
        QCOMPARE(readFile(r.capturePath()), QByteArray());
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
        QVERIFY(!r.port.isOpen() && !r.window.captureOpen());
        QVERIFY(r.module.RunSettings.DownloadIdle);
        for (int i = 0; i < 30; ++i) r.window.Timer1_Timer();
        QVERIFY(r.dialogs.messages.isEmpty());

        // Stop while receiving, after the folder setting changed meanwhile.
        r.window.cmdReceive_Click();
        r.port.receive(
            "\x02"
            "partial");
        r.module.RunSettings.DefaultPath = QStringLiteral("/elsewhere");
        r.window.cmdReceive_Click();
        QCOMPARE(r.c.EdObs->text(), r.capturePath());
        QCOMPARE(readFile(r.capturePath()), QByteArray("\x02"
                                                       "partial"));
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("Start"));  // Stop leaves the stage word
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void aPortThatCannotBeOpenedLeavesTheReceptionIdle() {
        ScriptedRig r;
        r.port.failOpen = true;
        r.port.openError = QStringLiteral("/dev/ttyUSB0: no such device.");
        r.window.cmdReceive_Click();
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.dialogs.messages[0].caption, QStringLiteral("Problem"));
        QCOMPARE(r.dialogs.messages[0].icon, platform::Icon::Critical);
        QVERIFY(
            r.dialogs.messages[0].text.contains(QStringLiteral("/dev/ttyUSB0: no such device.")));
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QVERIFY(!QFileInfo::exists(r.capturePath()));
        QVERIFY(r.module.RunSettings.DownloadIdle);
        for (int i = 0; i < 30; ++i) r.window.Timer1_Timer();
        QCOMPARE(r.dialogs.messages.size(), 1);

        r.port.failOpen = false;  // the next click starts normally
        r.window.cmdReceive_Click();
        QVERIFY(r.port.isOpen() && r.window.captureOpen());
    }

    void aCaptureThatCannotBeCreatedClosesThePort() {
        ScriptedRig r;
        r.module.RunSettings.DefaultPath = r.home() + QStringLiteral("/missing");
        r.window.cmdReceive_Click();
        QCOMPARE(r.dialogs.messages.size(), 1);
        const QString text = r.dialogs.messages[0].text;
        QVERIFY2(text.contains(r.home() + QStringLiteral("/missing/$R55.tmp")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("No such file or directory")), qPrintable(text));
        QVERIFY(!r.port.isOpen());
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
    }

    void aFailedWriteEndsTheReception() {
        if (!QFileInfo::exists(QStringLiteral("/dev/full"))) QSKIP("no /dev/full");
        ScriptedRig r;
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), r.capturePath()));
        r.window.cmdReceive_Click();
        QVERIFY(r.window.captureOpen());
        r.port.receive(
            "\x02"
            "data");
        QCOMPARE(r.dialogs.messages.size(), 1);
        QVERIFY2(r.dialogs.messages[0].text.contains(QStringLiteral("No space left on device")),
                 qPrintable(r.dialogs.messages[0].text));
        QVERIFY(!r.port.isOpen() && !r.window.captureOpen());
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QVERIFY(r.module.RunSettings.DownloadIdle);
        r.port.receive("more");  // nothing runs any more
        QCOMPARE(r.dialogs.messages.size(), 1);
    }

    void aLostLineEndsTheReceptionAsStopDoes() {
        ScriptedRig r;
        r.window.cmdReceive_Click();
        r.port.receive(
            "\x02"
            "10NMJOB\r\n");
        r.port.lose(QStringLiteral("/dev/ttyUSB0: the connection was lost (gone)."));
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.dialogs.messages[0].caption, QStringLiteral("Problem"));
        QVERIFY(
            r.dialogs.messages[0].text.contains(QStringLiteral("the connection was lost (gone).")));
        QCOMPARE(r.c.EdObs->text(), r.capturePath());
        QCOMPARE(readFile(r.capturePath()), QByteArray("\x02"
                                                       "10NMJOB\r\n"));
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QVERIFY(!r.window.captureOpen());

        r.port.lose(QStringLiteral("again"));  // no reception runs: nothing to say
        QCOMPARE(r.dialogs.messages.size(), 1);
    }
};

QTEST_MAIN(ReceptionTest)
#include "reception_test.moc"
