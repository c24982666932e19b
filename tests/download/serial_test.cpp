// Downloads through a real serial port: a pseudo-terminal pair, the real port
// class and the real main window.
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QTest>
#include <algorithm>
#include <cerrno>

#include "ModalAnswerer.h"
#include "Rig.h"

using namespace download_tests;
using testing_support::waitFor;

namespace {

// A job in SDR33 records: 16-character point ids and numbers, northing first.
const QByteArray kRecords =
    "00NMSDR33 V04-04.02     06-Dec-26 09:12 211111\r\n"
    "10NMSURVEY01        121111\r\n"
    "08KI            10015000.000        2000.000        100.000         TRIG\r\n"
    "08KI            10025010.5          2003.25         99.9995         PEG\r\n";

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
    ~PtyPair() { pullCable(); }
    /// Sends as the instrument would, with the event loop running while the line is full.
    bool send(const QByteArray& data) {
        for (qsizetype done = 0, k = 0; done < data.size(); done += std::max<qsizetype>(k, 0)) {
            k = ::write(master, data.constData() + done, size_t(data.size() - done));
            if (k < 0 && errno != EAGAIN && errno != EINTR) return false;
            if (k < 0) QTest::qWait(1);  // full until the program reads
        }
        return true;
    }
    void pullCable() {
        if (master >= 0) ::close(master);
        master = -1;
    }

    int master = posix_openpt(O_RDWR | O_NOCTTY);
    QString slave;
};

/// A main window on a real serial port that "COM1" resolves to `device`.
template <typename Dialogs = testing_support::ScriptedDialogs>
struct SerialRig : Rig<platform::QtSerialPort, Dialogs> {
    explicit SerialRig(const QString& device)
        : Rig<platform::QtSerialPort, Dialogs>([device](const QString&) { return device; }) {}
};

}  // namespace

class SerialTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        m_pty = std::make_unique<PtyPair>();
        QVERIFY(!m_pty->slave.isEmpty());
    }
    void cleanup() { m_pty.reset(); }

    // The instrument sends STX straight before its first record; the folder setting
    // changes while data arrives; an earlier job's names stand in the fields.
    void aDownloadEndsInTheFilesTheUserMeant_data() {
        QTest::addColumn<bool>("cancel");  // the job's file exists: No, then Cancel
        QTest::newRow("a new job") << false;
        QTest::newRow("cancel keeps the capture") << true;
    }
    void aDownloadEndsInTheFilesTheUserMeant() {
        QFETCH(bool, cancel);
        SerialRig r(m_pty->slave);
        r.c.EdObs->setText(r.at(u"OLDJOB.sdr"_s));
        r.c.EdOut->setText(r.at(u"OLDJOB.dat"_s));
        if (cancel) {
            QVERIFY(writeFile(r.at(u"SURVEY01.sdr"_s), "keep"));
            r.dialogs.answers = {platform::Answer::No};
            r.dialogs.files = {QString()};
        }
        QTest::mouseClick(r.c.cmdReceive, Qt::LeftButton);
        QVERIFY(r.port.isOpen());
        const QByteArray sent = "\x02" + kRecords + "\x03";
        QVERIFY(m_pty->send(sent.left(30)));
        QVERIFY(waitFor([&] { return r.captured() == 30; }));
        r.module.RunSettings.DefaultPath = r.at(u"elsewhere"_s);  // O.K. in the settings
        QVERIFY(m_pty->send(sent.mid(30)));
        QVERIFY(waitFor([&] { return r.ended(); }));
        const QString obs = cancel ? u"$R55.tmp"_s : u"SURVEY01.sdr"_s;
        QCOMPARE(r.c.EdObs->text() + u" > "_s + r.c.EdOut->text(),
                 r.at(obs) + u" > "_s + r.at(obs.left(obs.size() - 4) + u".dat"_s));
        QCOMPARE(readFile(r.c.EdObs->text()), cancel ? sent : kRecords);
        QCOMPARE(state(r), u"Receive | Ready | end | 0 | idle"_s);
        QCOMPARE(shown(r.dialogs),
                 cancel ? QStringList{u"File Exists! Do you want to overwrite?  [Yes/No]"_s}
                        : QStringList());
        QCOMPARE(QDir(r.home()).entryList(QDir::Files | QDir::Hidden),
                 (cancel ? QStringList{u"$R55.tmp"_s} : QStringList()) << u"SURVEY01.sdr"_s);
        QCOMPARE(readFile(r.at(u"SURVEY01.sdr"_s)), cancel ? QByteArray("keep") : kRecords);
        if (cancel) return;

        // Convert goes on from there: the job's coordinates, X east and Y north.
        r.module.RunSettings.OutputFormat = 3;
        QTest::mouseClick(r.c.get<QPushButton>("CmdCon"), Qt::LeftButton);
        QCOMPARE(
            readFile(r.at(u"SURVEY01.dat"_s)),
            "1,2000.000,5000.000,100.000,TRIG,1001\r\n2,2003.250,5010.500,100.000,PEG,1002\r\n");
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.dialogs.messages[0].caption, u"Finito"_s);
    }

    void stopOrEtxEndsAReceptionThatKeepsEveryByte() {
        SerialRig r(m_pty->slave);
        r.window.cmdReceive_Click();
        for (int i = 0; i < 4; ++i) r.window.Timer1_Timer();
        r.c.EdOut->setText(r.at(u"OLDJOB.dat"_s));
        QTest::mouseClick(r.c.cmdReceive, Qt::LeftButton);  // Stop while waiting
        QCOMPARE(state(r), u"Receive | Ready | Ready | 0 | idle timer"_s);
        QCOMPARE(r.c.EdObs->text() + r.c.EdOut->text(), r.capturePath() + r.at(u"$R55.dat"_s));
        QCOMPARE(readFile(r.capturePath()), QByteArray());
        for (int i = 0; i < 30; ++i) r.window.Timer1_Timer();  // no time-out after Stop

        // Every byte value, then ETX with more in its chunk. No job record: readdump
        // keeps the capture, so its bytes can be read back.
        r.window.cmdReceive_Click();
        QByteArray all("\x02");
        for (int b = 0; b < 4 * 256; ++b)
            if (b % 256 != 3) all += char(b);
        QVERIFY(m_pty->send(all.left(500)));
        QTest::qWait(20);
        QVERIFY(m_pty->send(all.mid(500)));
        QVERIFY(waitFor([&] { return r.captured() == all.size(); }));
        const QByteArray last("last\003 after\r\n\002");
        QVERIFY(m_pty->send(last));
        QVERIFY(waitFor([&] { return r.ended(); }));
        QCOMPARE(readFile(r.capturePath()), all + last);
        QCOMPARE(r.dialogs.messages.size(), 1);

        r.window.cmdReceive_Click();  // Stop while receiving
        const QByteArray sent = "\x02\r\n10NMSTOPPED\r\n";
        QVERIFY(m_pty->send(sent));
        QVERIFY(waitFor([&] { return r.captured() == sent.size(); }));
        r.module.RunSettings.DefaultPath = u"/elsewhere"_s;  // settings changed meanwhile
        QTest::mouseClick(r.c.cmdReceive, Qt::LeftButton);
        QCOMPARE(state(r), u"Receive | Ready | Start | 0 | idle timer"_s);
        QCOMPARE(r.c.EdObs->text(), r.capturePath());
        QVERIFY(m_pty->send("ignored"));
        QTest::qWait(50);
        QCOMPARE(readFile(r.capturePath()), sent);
        QCOMPARE(r.dialogs.messages.size(), 1);
    }

    void aDeviceThatGoesAwaySaysSoOnce() {
        // Real message boxes: the port's error storm must not raise a second one.
        SerialRig<platform::QtDialogs> r(m_pty->slave);
        r.dialogs.setParent(&r.window);
        testing_support::ModalAnswerer answerer;
        answerer.pressButton(u"OK"_s);
        r.window.cmdReceive_Click();
        const QByteArray sent = "\x02\r\n10NMCUT\r\npart";
        QVERIFY(m_pty->send(sent));
        QVERIFY(waitFor([&] { return r.captured() == sent.size(); }));
        m_pty->pullCable();
        QVERIFY(waitFor([&] { return answerer.titles.size() == 1; }));
        QTest::qWait(300);
        QCOMPARE(answerer.titles, QStringList{u"Problem"_s});
        QVERIFY2(answerer.texts[0].contains(m_pty->slave), qPrintable(answerer.texts[0]));
        QCOMPARE(answerer.unexpected, 0);
        QCOMPARE(state(r), u"Receive | Ready | Start | 0 | idle"_s);
        QCOMPARE(r.c.EdObs->text(), r.capturePath());
        QCOMPARE(readFile(r.capturePath()), sent);
    }

    void portsThatCannotBeOpened_data() {
        QTest::addColumn<QString>("said");
        QTest::newRow("missing") << u"/dev/quorvel-no-such-port: no such device"_s;
        QTest::newRow("in use") << u" is in use"_s;
        QTest::newRow("no permission") << u"permission denied"_s;
    }
    void portsThatCannotBeOpened() {
        QFETCH(QString, said);
        const QByteArray how = QTest::currentDataTag();
        const bool denied = how == "no permission";
        QSerialPort other(m_pty->slave);
        QVERIFY(how != "in use" || other.open(QIODevice::ReadOnly));
        QVERIFY(!denied ||
                QFile::setPermissions(m_pty->slave, QFile::ReadOwner | QFile::WriteOwner));
        SerialRig r(how == "missing" ? u"/dev/quorvel-no-such-port"_s : m_pty->slave);
        // Root opens any device: click as an ordinary user, keeping the way back.
        const bool asUser = denied && ::geteuid() == 0;
        if (asUser) QVERIFY(::setresgid(65534, 65534, 0) == 0 && ::setresuid(65534, 65534, 0) == 0);
        if (denied && !asUser && QFileInfo(m_pty->slave).isReadable()) QSKIP("still readable");
        r.window.cmdReceive_Click();
        if (asUser) QVERIFY(::setresuid(0, 0, 0) == 0 && ::setresgid(0, 0, 0) == 0);
        const QStringList one = shown(r.dialogs);
        QVERIFY2(one.size() == 1 && one[0].contains(said), qPrintable(one.join(u'\n')));
        QVERIFY(!denied || one[0].contains(u"must belong to the dialout group"));
        QCOMPARE(state(r), u"Receive | Ready |  | 0 | idle timer"_s);
        QVERIFY(!QFileInfo::exists(r.capturePath()));
    }

    void theStationSimulator_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("cutAt");  // bytes sent before the cable is pulled; 0: all
        QTest::newRow("many small chunks") << QStringList{"--baud", "1000000", "--chunk", "7"} << 0;
        QTest::newRow("pulls the cable") << QStringList{"--no-pace", "--close-after", "40"} << 40;
    }
    void theStationSimulator() {
        QFETCH(QStringList, options);
        QFETCH(int, cutAt);
        QByteArray job = "10NMSIMULATED\r\n" + kRecords;
        for (int i = 0; i < 300; ++i) job += u"08TP %1 1000.000\r\n"_s.arg(i, 7).toLatin1();
        QTemporaryDir files;
        QVERIFY(writeFile(files.filePath(u"job"_s), "\r\n" + job));  // STX on a line of its own
        QProcess sim;
        sim.start(QStringLiteral(QUORVEL_STATION_SIM),
                  QStringList{"--pty"} + options << files.filePath(u"job"_s));
        QVERIFY(sim.waitForReadyRead(5000));
        SerialRig r(QString::fromLocal8Bit(sim.readLine()).trimmed());
        r.window.cmdReceive_Click();
        QVERIFY(waitFor([&] { return r.ended() || !r.dialogs.messages.isEmpty(); }));
        // waitForFinished alone fails on a process that has already ended.
        QVERIFY(sim.state() == QProcess::NotRunning || sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
        if (cutAt == 0) {
            QCOMPARE(readFile(r.at(u"SIMULATED.sdr"_s)), job);
            QVERIFY(r.module.LineCount > 1);  // one per chunk before the last
            QCOMPARE(shown(r.dialogs), QStringList());
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
