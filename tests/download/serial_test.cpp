// Downloads through a real serial port: a pseudo-terminal pair, the real port
// class and the real main window.
#include <fcntl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTest>
#include <algorithm>
#include <cerrno>

#include "ModalAnswerer.h"
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

/// A pseudo-terminal pair: the test writes into the master what an instrument would
/// send, the program opens the slave as its serial port.
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

    bool ok() const { return m_master >= 0 && !m_slave.isEmpty(); }
    QString slave() const { return m_slave; }
    /// Sends as the instrument would, with the event loop running while the line is full.
    bool send(const QByteArray& data) {
        for (qsizetype done = 0; done < data.size();) {
            const ssize_t k =
                ::write(m_master, data.constData() + done, size_t(data.size() - done));
            if (k < 0 && errno != EAGAIN && errno != EINTR) return false;
            if (k < 0) QTest::qWait(1);  // full until the program reads
            done += std::max<ssize_t>(k, 0);
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

/// A main window on a real serial port that "COM1" resolves to `device`.
template <typename Dialogs>
struct SerialRig {
    explicit SerialRig(const QString& device)
        : resolver([device](const QString&) { return device; }),
          port(resolver),
          window(module, {dialogs, port, editor, resolver, dir.path()}) {}
    QString at(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    QString capturePath() const { return at(QStringLiteral("$R55.tmp")); }
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
    Controls c{window};
};
using Rig = SerialRig<testing_support::ScriptedDialogs>;

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

        QCOMPARE(r.c.EdObs->text(), r.at(QStringLiteral("SURVEY01.sdr")));
        QCOMPARE(r.c.EdOut->text(), r.at(QStringLiteral("SURVEY01.dat")));
        QCOMPARE(readFile(r.c.EdObs->text()), kRecords);
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
        QCOMPARE(readFile(r.at(QStringLiteral("MANY.sdr"))), "10NMMANY\r\n" + records);
        QVERIFY(r.module.LineCount > 1);  // one per chunk before the last
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void theCaptureHoldsEveryByteAndWhatFollowsEtx() {
        // No job record: readdump keeps the capture, so its bytes can be read back.
        Rig r(m_pty->slave());
        r.window.cmdReceive_Click();
        QByteArray all;
        for (int b = 0; b < 4 * 256; ++b)
            if (b % 256 != 3) all += char(b);
        QVERIFY(m_pty->send("\x02" + all.left(500)));
        QTest::qWait(20);
        QVERIFY(m_pty->send(all.mid(500)));
        QVERIFY(waitFor([&] { return QFileInfo(r.capturePath()).size() == 1 + all.size(); }));
        const QByteArray last("last\x03 after\r\n\x02", 14);  // one chunk
        QVERIFY(m_pty->send(last));
        QVERIFY(waitFor([&] { return r.ended(); }));
        QCOMPARE(readFile(r.capturePath()), "\x02" + all + last);
        QCOMPARE(r.dialogs.messages.size(), 1);  // no job record
    }

    void stopWhileWaitingAndWhileReceiving() {
        Rig r(m_pty->slave());
        r.window.cmdReceive_Click();
        for (int i = 0; i < 4; ++i) r.window.Timer1_Timer();
        QTest::mouseClick(r.c.cmdReceive, Qt::LeftButton);
        QVERIFY(!r.port.isOpen() && !r.window.captureOpen());
        QVERIFY(r.module.RunSettings.DownloadIdle);
        QCOMPARE(r.c.lblTime->text(), QStringLiteral("0"));
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
        QCOMPARE(r.c.EdObs->text(), r.capturePath());
        QCOMPARE(readFile(r.capturePath()), QByteArray());
        for (int i = 0; i < 30; ++i) r.window.Timer1_Timer();  // no time-out after Stop

        r.window.cmdReceive_Click();
        QVERIFY(r.port.isOpen());
        const QByteArray sent = "\x02\r\n10NMSTOPPED\r\n";
        QVERIFY(m_pty->send(sent));
        QVERIFY(waitFor([&] { return QFileInfo(r.capturePath()).size() == sent.size(); }));
        r.module.RunSettings.DefaultPath = QStringLiteral("/elsewhere");  // settings changed
        QTest::mouseClick(r.c.cmdReceive, Qt::LeftButton);
        QVERIFY(!r.port.isOpen());
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QCOMPARE(r.c.lblStat->text(), QStringLiteral("Start"));  // Stop leaves the stage word
        QCOMPARE(r.c.EdObs->text(), r.capturePath());
        QVERIFY(m_pty->send("ignored"));
        QTest::qWait(50);
        QCOMPARE(readFile(r.capturePath()), sent);
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void aDeviceThatGoesAwaySaysSoOnce() {
        // Real message boxes: the port's error storm must not raise a second one.
        SerialRig<platform::QtDialogs> r(m_pty->slave());
        r.dialogs.setParent(&r.window);
        ModalAnswerer answerer;
        answerer.pressButton(QStringLiteral("OK"));
        r.window.cmdReceive_Click();
        const QByteArray sent = "\x02\r\n10NMCUT\r\npart";
        QVERIFY(m_pty->send(sent));
        QVERIFY(waitFor([&] { return QFileInfo(r.capturePath()).size() == sent.size(); }));
        m_pty->closeMaster();
        QVERIFY(waitFor([&] { return answerer.titles.size() == 1; }));
        QTest::qWait(300);
        QCOMPARE(answerer.titles, QStringList{QStringLiteral("Problem")});
        QVERIFY2(answerer.texts[0].contains(m_pty->slave()), qPrintable(answerer.texts[0]));
        QCOMPARE(answerer.unexpected, 0);
        QVERIFY(!r.port.isOpen());
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QCOMPARE(r.c.EdObs->text(), r.capturePath());
        QCOMPARE(readFile(r.capturePath()), sent);
    }

    void portsThatCannotBeOpened_data() {
        QTest::addColumn<bool>("inUse");  // else the device does not exist
        QTest::addColumn<QString>("said");
        QTest::newRow("no such port") << false << "/dev/quorvel-no-such-port: no such device";
        QTest::newRow("in use") << true << "is in use";
    }
    void portsThatCannotBeOpened() {
        QFETCH(bool, inUse);
        QFETCH(QString, said);
        QSerialPort other(m_pty->slave());
        QVERIFY(!inUse || other.open(QIODevice::ReadOnly));
        Rig r(inUse ? m_pty->slave() : QStringLiteral("/dev/quorvel-no-such-port"));
        r.window.cmdReceive_Click();
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.dialogs.messages[0].caption, QStringLiteral("Problem"));
        QVERIFY2(r.dialogs.messages[0].text.contains(said), qPrintable(r.dialogs.messages[0].text));
        QVERIFY(!r.port.isOpen());
        QCOMPARE(r.c.cmdReceive->text(), QStringLiteral("Receive"));
        QVERIFY(!QFileInfo::exists(r.capturePath()));
    }

    void noPermissionNamesTheDialoutGroup() {
        const QString device = m_pty->slave();
        QVERIFY(QFile::setPermissions(device, QFile::ReadOwner | QFile::WriteOwner));
        // Root opens any device: the child tries as an ordinary user.
        const bool root = ::geteuid() == 0;
        if (!root && QFileInfo(device).isReadable()) QSKIP("the device stays readable");
        int fds[2];
        QVERIFY(::pipe(fds) == 0);
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            if (root && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(3);
            platform::QtSerialPort port([device](const QString&) { return device; });
            const QByteArray said = port.open() ? "opened" : port.errorString().toUtf8();
            ::_exit(::write(fds[1], said.constData(), size_t(said.size())) == said.size() ? 0 : 4);
        }
        ::close(fds[1]);
        QByteArray text;
        char buf[1024];
        for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;) text.append(buf, n);
        ::close(fds[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        QVERIFY2(text.contains("permission denied") && text.contains("dialout group"),
                 text.constData());
    }

    void theStationSimulator_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("cutAt");  // bytes sent before the cable is pulled; 0: all
        QTest::newRow("plays a download") << QStringList{"--baud", "115200", "--chunk", "16"} << 0;
        QTest::newRow("pulls the cable") << QStringList{"--no-pace", "--close-after", "40"} << 40;
    }
    void theStationSimulator() {
        QFETCH(QStringList, options);
        QFETCH(int, cutAt);
        const QByteArray job = "10NMSIMULATED\r\n" + kRecords;
        QTemporaryDir files;
        const QString source = files.path() + QStringLiteral("/job.txt");
        QVERIFY(writeFile(source, "\r\n" + job));  // STX takes a line of its own
        QProcess sim;
        sim.start(QStringLiteral(QUORVEL_STATION_SIM), QStringList{"--pty"} + options << source);
        QVERIFY(sim.waitForReadyRead(5000));
        Rig r(QString::fromLocal8Bit(sim.readLine()).trimmed());
        r.window.cmdReceive_Click();
        QVERIFY(waitFor([&] { return r.ended() || !r.dialogs.messages.isEmpty(); }));
        // waitForFinished alone fails on a process that has already ended.
        QVERIFY(sim.state() == QProcess::NotRunning || sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
        if (cutAt == 0) {
            QCOMPARE(readFile(r.at(QStringLiteral("SIMULATED.sdr"))), job);
            QVERIFY(r.dialogs.messages.isEmpty());
        } else {
            QCOMPARE(r.dialogs.messages.size(), 1);
            QCOMPARE(readFile(r.capturePath()), ("\x02\r\n" + job).left(cutAt));
            QCOMPARE(r.c.EdObs->text(), r.capturePath());
        }
    }

private:
    std::unique_ptr<PtyPair> m_pty;
};

QTEST_MAIN(SerialTest)
#include "serial_test.moc"
