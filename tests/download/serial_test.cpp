// Downloads through a real serial port: a pseudo-terminal pair, the real port
// class and the real main window.
#include <sys/wait.h>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTest>

#include "ModalAnswerer.h"
#include "Pty.h"
#include "Rig.h"
#include "platform/QtSerialPort.h"

using namespace download_tests;
using testing_support::ModalAnswerer;
using testing_support::waitFor;

namespace {

const QByteArray kRecords =
    "00NMSDR33 V04-04.02\r\n"
    "10NMSURVEY01        121111\r\n"
    "08TP    1001 1000.000 2000.000 100.000\r\n"
    "09F1    1001    1002 12.345 90.0000 45.0000\r\n";

/// A main window on a real serial port that "COM1" resolves to `device`.
template <typename Dialogs>
struct SerialRig {
    explicit SerialRig(const QString& device)
        : resolver([device](const QString&) { return device; }),
          port(resolver),
          window(module, {dialogs, port, editor, resolver, dir.path()}),
          c(window) {}
    QString capturePath() const { return dir.path() + QStringLiteral("/$R55.tmp"); }
    bool ended() const {
        return c.lblStat->text() == QLatin1String("end") &&
               c.cmdReceive->text() == QLatin1String("Receive");
    }

    QTemporaryDir dir;
    Module1 module;
    Dialogs dialogs;
    platform::PortResolver resolver;
    platform::QtSerialPort port;
    testing_support::ScriptedLauncher editor;
    KCR1 window;
    Controls c;
};

using Rig = SerialRig<testing_support::ScriptedDialogs>;

QByteArray everyByte() {
    QByteArray all;
    for (int round = 0; round < 4; ++round)
        for (int b = 0; b < 256; ++b)
            if (b != 3) all += static_cast<char>(b);
    return all;
}

/// The process has ended (waitForFinished alone fails on one that already has).
bool finished(QProcess& p) {
    return p.state() == QProcess::NotRunning || p.waitForFinished(5000);
}

}  // namespace

class SerialTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_pty = std::make_unique<PtyPair>();
        QVERIFY(m_pty->ok());
    }
    void cleanup() { m_pty.reset(); }

    void aWholeDownloadGivesTheRawDataFile() {
        Rig r(m_pty->slave());
        QTest::mouseClick(r.c.cmdReceive, Qt::LeftButton);
        QVERIFY(r.port.isOpen());
        QCOMPARE(r.window.panel(1), QStringLiteral("Waiting for ..."));
        QVERIFY(m_pty->send("\x02\r\n" + kRecords + "\x03"));
        QVERIFY(waitFor([&] { return r.ended(); }));

        const QString raw = r.dir.path() + QStringLiteral("/SURVEY01.sdr");
        QCOMPARE(r.c.EdObs->text(), raw);
        QCOMPARE(r.c.EdOut->text(), r.dir.path() + QStringLiteral("/SURVEY01.dat"));
        QCOMPARE(readFile(raw), kRecords);
        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
        QVERIFY(!QFileInfo::exists(r.capturePath()));
        QVERIFY(!r.port.isOpen());
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void manySmallChunks() {
        Rig r(m_pty->slave());
        r.window.cmdReceive_Click();
        QByteArray records;
        for (int i = 0; i < 300; ++i)
            records += QStringLiteral("08TP %1 1000.000 2000.000\r\n").arg(i, 7).toLatin1();
        const QByteArray sent = "\x02\r\n10NMMANY\r\n" + records + "\x03";
        for (qsizetype at = 0; at < sent.size(); at += 7) {
            QVERIFY(m_pty->send(sent.mid(at, 7)));
            if (at % 70 == 0) QTest::qWait(1);  // let some arrive one by one
        }
        QVERIFY(waitFor([&] { return r.ended(); }));
        QCOMPARE(readFile(r.dir.path() + QStringLiteral("/MANY.sdr")), "10NMMANY\r\n" + records);
        QVERIFY(r.module.LineCount > 1);  // one per chunk before the last
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void theCaptureHoldsEveryByteAndWhatFollowsEtx() {
        // No job record: readdump keeps the capture, so its bytes can be read back.
        Rig r(m_pty->slave());
        r.window.cmdReceive_Click();
        const QByteArray all = everyByte();
        QVERIFY(m_pty->send("\x02" + all.left(500)));
        QTest::qWait(20);
        QVERIFY(m_pty->send(all.mid(500)));
        QVERIFY(waitFor([&] { return QFileInfo(r.capturePath()).size() == 1 + all.size(); }));
        QVERIFY(m_pty->send(QByteArray("last\x03 after\r\n\x02", 14)));
        QVERIFY(waitFor([&] { return r.ended(); }));
        QCOMPARE(readFile(r.capturePath()),
                 "\x02" + all + QByteArray("last\x03 after\r\n\x02", 14));
        QCOMPARE(r.dialogs.messages.size(), 1);  // no job record
    }

    void stopWhileWaitingAndWhileReceiving() {
        Rig r(m_pty->slave());
        r.window.cmdReceive_Click();
        QTest::mouseClick(r.c.cmdReceive, Qt::LeftButton);
        QVERIFY(!r.port.isOpen());
        QCOMPARE(r.c.EdObs->text(), r.capturePath());
        QCOMPARE(readFile(r.capturePath()), QByteArray());

        r.window.cmdReceive_Click();
        QVERIFY(r.port.isOpen());
        QVERIFY(m_pty->send("\x02\r\n10NMSTOPPED\r\n"));
        QVERIFY(waitFor([&] { return r.c.lblStat->text() == QLatin1String("Start"); }));
        QTest::mouseClick(r.c.cmdReceive, Qt::LeftButton);
        QVERIFY(!r.port.isOpen());
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QCOMPARE(readFile(r.capturePath()), QByteArray("\x02\r\n10NMSTOPPED\r\n"));
        QVERIFY(m_pty->send("ignored"));
        QTest::qWait(50);
        QCOMPARE(readFile(r.capturePath()), QByteArray("\x02\r\n10NMSTOPPED\r\n"));
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void aDeviceThatGoesAwaySaysSoOnce() {
        // Real message boxes: the port's error storm must not raise a second one.
        SerialRig<platform::QtDialogs> r(m_pty->slave());
        r.dialogs.setParent(&r.window);
        ModalAnswerer answerer;
        answerer.pressButton(QStringLiteral("OK"));
        r.window.cmdReceive_Click();
        QVERIFY(m_pty->send("\x02\r\n10NMCUT\r\npart"));
        QVERIFY(waitFor([&] { return QFileInfo(r.capturePath()).size() == 16; }));
        m_pty->closeMaster();
        QVERIFY(waitFor([&] { return answerer.titles.size() == 1; }));
        QTest::qWait(300);
        QCOMPARE(answerer.titles, QStringList{QStringLiteral("Problem")});
        QVERIFY2(answerer.texts[0].contains(m_pty->slave()), qPrintable(answerer.texts[0]));
        QCOMPARE(answerer.unexpected, 0);
        QVERIFY(!r.port.isOpen());
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QCOMPARE(r.c.EdObs->text(), r.capturePath());
        QCOMPARE(readFile(r.capturePath()), QByteArray("\x02\r\n10NMCUT\r\npart"));
    }

    void aPortThatDoesNotExist() {
        Rig r(QStringLiteral("/dev/quorvel-no-such-port"));
        r.window.cmdReceive_Click();
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.dialogs.messages[0].caption, QStringLiteral("Problem"));
        QVERIFY2(r.dialogs.messages[0].text.contains(
                     QStringLiteral("/dev/quorvel-no-such-port: no such device")),
                 qPrintable(r.dialogs.messages[0].text));
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QVERIFY(!QFileInfo::exists(r.capturePath()));
    }

    void aPortInUseElsewhere() {
        QSerialPort other(m_pty->slave());
        QVERIFY(other.open(QIODevice::ReadOnly));
        Rig r(m_pty->slave());
        r.window.cmdReceive_Click();
        QCOMPARE(r.dialogs.messages.size(), 1);
        QVERIFY2(r.dialogs.messages[0].text.contains(QStringLiteral("is in use")),
                 qPrintable(r.dialogs.messages[0].text));
        QVERIFY(!r.port.isOpen());
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
    }

    void noPermissionNamesTheDialoutGroup() {
        QVERIFY(QFile::setPermissions(m_pty->slave(), QFile::ReadOwner | QFile::WriteOwner));
        const QString device = m_pty->slave();
        auto attempt = [device] {
            platform::QtSerialPort port([device](const QString&) { return device; });
            return port.open() ? QByteArray("opened") : port.errorString().toUtf8();
        };
        QByteArray text;
        if (::geteuid() != 0) {
            if (QFileInfo(device).isReadable()) QSKIP("the device stays readable for this user");
            text = attempt();
        } else {
            // Root opens any device: try as an ordinary user in a child process.
            int fds[2];
            QVERIFY(::pipe(fds) == 0);
            const pid_t child = ::fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                ::close(fds[0]);
                if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
                const QByteArray said = attempt();
                const bool ok =
                    ::write(fds[1], said.constData(), size_t(said.size())) == said.size();
                ::_exit(ok ? 0 : 4);
            }
            ::close(fds[1]);
            char buf[1024];
            for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) text.append(buf, n);
            ::close(fds[0]);
            int status = 0;
            ::waitpid(child, &status, 0);
            QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        QVERIFY2(text.contains("permission denied") && text.contains("dialout group"),
                 text.constData());
    }

    void theStationSimulatorPlaysADownload() {
        const QByteArray job = "10NMSIMULATED\r\n" + kRecords;
        QTemporaryDir files;
        const QString source = files.path() + QStringLiteral("/job.txt");
        QVERIFY(writeFile(source, "\r\n" + job));  // STX takes a line of its own
        QProcess sim;
        sim.start(QStringLiteral(QUORVEL_STATION_SIM),
                  {QStringLiteral("--pty"), QStringLiteral("--baud"), QStringLiteral("115200"),
                   QStringLiteral("--chunk"), QStringLiteral("16"), source});
        QVERIFY(sim.waitForReadyRead(5000));
        const QString device = QString::fromLocal8Bit(sim.readLine()).trimmed();
        Rig r(device);
        r.window.cmdReceive_Click();
        QVERIFY(waitFor([&] { return r.ended(); }));
        QVERIFY(finished(sim));
        QCOMPARE(sim.exitCode(), 0);
        QCOMPARE(readFile(r.dir.path() + QStringLiteral("/SIMULATED.sdr")), job);
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void theStationSimulatorPullsTheCable() {
        QTemporaryDir files;
        const QString source = files.path() + QStringLiteral("/job.txt");
        QVERIFY(writeFile(source, "\r\n" + kRecords));
        QProcess sim;
        sim.start(QStringLiteral(QUORVEL_STATION_SIM),
                  {QStringLiteral("--pty"), QStringLiteral("--no-pace"),
                   QStringLiteral("--close-after"), QStringLiteral("40"), source});
        QVERIFY(sim.waitForReadyRead(5000));
        Rig r(QString::fromLocal8Bit(sim.readLine()).trimmed());
        r.window.cmdReceive_Click();
        QVERIFY(waitFor([&] { return !r.dialogs.messages.isEmpty(); }));
        QVERIFY(finished(sim));
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(readFile(r.capturePath()), ("\x02\r\n" + kRecords).left(40));
        QCOMPARE(r.c.EdObs->text(), r.capturePath());
    }

private:
    std::unique_ptr<PtyPair> m_pty;
};

QTEST_MAIN(SerialTest)
#include "serial_test.moc"
