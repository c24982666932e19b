// SPDX-License-Identifier: GPL-3.0-or-later
// Send Points in the main window: what is asked and recorded before the first byte, on a
// scripted port; then the real port, a pseudo-terminal whose other end is the simulated
// instrument taking the points: all of them, held by XOFF, stopped part way, the cable
// pulled, and the points downloaded back and converted, digit for digit.
#include <QProcess>

#include "Rig.h"
#include "platform/QtSerialPort.h"

using namespace testing_support;
using platform::Answer;

namespace {

const QString kConfirm =
    u"Send Points/question/okcancel: Send 2 points to the instrument as job "
    "J?\rFirst: 1  X 1.000  Y 2.000  Z 3.000  PEG\rLast: 2  X 4.000  Y "
    "5.000  Z 6.000\rOn COM1 at 38400,N,8,1, no flow control, 0 ms after each line."_s;

QByteArray csvOf(int points) {
    QByteArray csv = "Point,Easting,Northing,Z,Code\r\n";
    for (int i = 1; i <= points; ++i)
        csv += QByteArray::number(1000 + i) + ',' + QByteArray::number(500000 + i * 7.125, 'f', 3) +
               ',' + QByteArray::number(4000000 - i * 3.5, 'f', 3) + ",12.5,PEG\r\n";
    return csv;
}

/// The simulated instrument on a pseudo-terminal of its own; `device` is its line.
struct Instrument {
    explicit Instrument(const QStringList& options) {
        process.start(QStringLiteral(QUORVEL_STATION_SIM), options);
        if (process.waitForReadyRead(5000))
            device = QString::fromLocal8Bit(process.readLine()).trimmed();
    }
    ~Instrument() {
        if (!process.waitForFinished(5000)) process.kill();
    }
    /// Its closing report, once it has ended.
    QString report() {
        waitFor([&] { return process.state() == QProcess::NotRunning; }, 15000);
        return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
    }
    QProcess process;
    QString device;
};

using SerialRig = Rig<platform::QtSerialPort>;

}  // namespace

class SendWindowTest : public QObject {
    Q_OBJECT
private slots:
    // Each way a sending ends before it starts, and the record of what goes: kept only
    // once the port is open, asked about before it replaces an earlier one.
    void beforeTheFirstByte_data() {
        QTest::addColumn<QString>("field");          // the observation file, in the test's folder
        QTest::addColumn<QByteArray>("text");        // what it holds
        QTest::addColumn<QList<Answer>>("answers");  // the confirmation, the replace question
        QTest::addColumn<bool>("failOpen");
        QTest::addColumn<QString>("shown");  // the messages after the confirmation
        const QByteArray two = "Point,X,Y,Z,Code\n1,1,2,3,PEG\n2,4,5,6,\n";
        const QList<Answer> ok{Answer::Ok, Answer::Yes};
        // clang-format off
        QTest::newRow("sent") << u"J.csv"_s << two << ok << false
                              << u"Problem/critical/yesno: File Exists! Do you want to replace? "_s;
        QTest::newRow("no") << u"J.csv"_s << two << QList<Answer>{Answer::Cancel} << false
                            << QString();
        QTest::newRow("earlier record kept") << u"J.csv"_s << two << QList<Answer>{Answer::Ok, Answer::No}
                                             << false << u"Problem/critical/yesno: File Exists! Do "
                                                         "you want to replace? "_s;
        QTest::newRow("port does not open")
            << u"J.csv"_s << two << ok << true
            << u"Problem/critical/yesno: File Exists! Do you want to replace? \n"_s +
                   problem(u"The serial port could not be opened!\rCOM1: no such device."_s);
        QTest::newRow("empty field") << QString() << two << ok << false
                                     << problem(u"Empty field of Observation File"_s);
        QTest::newRow("no such file") << u"K.csv"_s << two << ok << false
                                      << problem(u"File Not Found or invalid path!\rPlease select again! "_s);
        QTest::newRow("no point") << u"J.csv"_s << QByteArray("Point,X,Y,Z\n,1,2,3\n") << ok << false
                                  << problem(u"No point to send in %1!\rNot sent:  1: 1 point "
                                             "without a point id: line 2"_s);
        QTest::newRow("a value too long") << u"J.csv"_s << QByteArray("Point,X,Y,Z\n1,1,2,3\n"
                                                                     "P2,12345678901234.5,2,3\n")
                                          << ok << false
                                          << problem(u"The point P2 has a value longer than 16 "
                                                     "characters!\rNothing was sent."_s);
        QTest::newRow("the record would be the file")  // J-sent.sdr is a link to it
            << u"J.csv"_s << two << ok << false
            << problem(u"The record of what is sent would replace %1 itself!\rNothing was sent."_s);
        // clang-format on
    }
    void beforeTheFirstByte() {
        QFETCH(QString, field);
        QFETCH(QByteArray, text);
        QFETCH(QList<Answer>, answers);
        QFETCH(bool, failOpen);
        QFETCH(QString, shown);
        Rig r;
        r.module.RunSettings.LineDelay = 0;
        const bool linked =
            QTest::currentDataTag() == QByteArrayLiteral("the record would be the file");
        QVERIFY(writeFile(r.at(u"J.csv"_s), text));
        if (linked)  // the record's name leads to the file itself
            QVERIFY(QFile::link(r.at(u"J.csv"_s), r.at(u"J-sent.sdr"_s)));
        else
            QVERIFY(writeFile(r.at(u"J-sent.sdr"_s), "earlier"));
        r.EdObs->setText(field.isEmpty() ? field : r.at(field));
        r.dialogs.answers.assign(answers.begin(), answers.end());
        r.port.failOpen = failOpen;
        r.click("cmdSend");
        QVERIFY(waitFor([&] { return r.cmdReceive->isEnabled(); }));
        QStringList said = r.dialogs.shown;
        if (said.value(0).startsWith(u"Send Points/"_s)) QCOMPARE(said.takeFirst(), kConfirm);
        QCOMPARE(said.join(u'\n'), shown.arg(r.at(u"J.csv"_s)));
        const bool sent = QTest::currentDataTag() == QByteArrayLiteral("sent");
        QCOMPARE(r.port.sent.isEmpty(), !sent);
        QVERIFY(!r.port.isOpen());
        if (linked) {
            QCOMPARE(readFile(r.at(u"J.csv"_s)), text);
            return;
        }
        const QByteArray record = readFile(r.at(u"J-sent.sdr"_s));
        QCOMPARE(record, sent ? r.port.sent : QByteArray("earlier"));
        if (sent) {
            QCOMPARE(record.mid(47),
                     "\r\n10NMJ               121111\r\n"
                     "08KI               11.000           2.000           3.000           PEG "
                     "            \r\n"
                     "08KI               24.000           5.000           6.000           "
                     "                \r\n\x03");
            QCOMPARE(r.panel(1), u"Sent 2 points to the instrument"_s);
        }
        QCOMPARE(QDir(r.home()).entryList(QDir::Files | QDir::Hidden).join(u' '),
                 u"J-sent.sdr J.csv"_s);
    }

    // The simulated instrument takes the points: all arrive as the record says, none while
    // it holds XOFF, Stop part way says what it has in full, a pulled cable one message.
    void toTheInstrument_data() {
        QTest::addColumn<int>("points");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("flow");
        QTest::addColumn<int>("stopAt");  // points sent when Stop is clicked; 0: no Stop
        QTest::addColumn<int>("pause");   // after each line, ms
        QTest::newRow("all") << 40 << QStringList() << 0 << 0 << 0;
        QTest::newRow("held by XOFF")
            << 60 << QStringList{"--xoff-after", "1000", "--xoff-after", "3000", "--hold", "200"}
            << 1 << 0 << 0;
        QTest::newRow("stopped") << 60 << QStringList{"--read-rate", "2000"} << 0 << 4 << 0;
        // Paused, so that the line is still busy when the cable goes: a pseudo-terminal
        // takes a whole job at once.
        QTest::newRow("cable pulled") << 60 << QStringList{"--close-after", "900"} << 0 << 0 << 20;
    }
    void toTheInstrument() {
        QFETCH(int, points);
        QFETCH(QStringList, options);
        QFETCH(int, flow);
        QFETCH(int, stopAt);
        QFETCH(int, pause);
        SerialRig r;
        QTemporaryDir files;
        const QString source = r.at(u"STAKE.csv"_s), got = files.filePath(u"got"_s);
        QVERIFY(writeFile(source, csvOf(points)));
        r.module.RunSettings.Line.flow = static_cast<quorvel::FlowControl>(flow);
        r.module.RunSettings.LineDelay = pause;
        Instrument sim(QStringList{"--pty", "--receive", "--record", got} + options);
        QVERIFY(!sim.device.isEmpty());
        r.devices[u"COM1"_s] = sim.device;
        r.EdObs->setText(source);
        r.click("cmdSend");
        QVERIFY(!r.cmdReceive->isEnabled() && r.cmdSend->accessibleName() == u"Stop"_s);
        const auto count = [&](const QString& text) {  // the first number said
            return QRegularExpression(u"\\d+"_s).match(text).captured().toInt();
        };
        if (stopAt) {
            QVERIFY(waitFor([&] { return count(r.panel(1)) >= stopAt; }));
            r.click("cmdSend");
        }
        QVERIFY(waitFor([&] { return r.cmdReceive->isEnabled(); }, 20000));
        const QString report = sim.report();
        QVERIFY(!r.port.isOpen() && r.cmdSend->accessibleName() == u"Send Points"_s);
        const int sent = count(r.panel(1));
        const int arrived = count(report.section(u"points="_s, 1));
        QCOMPARE(r.dialogs.shown.size(), options.contains(u"--close-after"_s) ? 2 : 1);
        if (options.contains(u"--close-after"_s)) {
            // Ended by the pull: one message, the count in it as in the panel.
            QCOMPARE(r.dialogs.shown[1].section(u'\r', 0, 0),
                     problem(u"The connection to the total station was lost!"_s));
            QVERIFY(
                r.dialogs.shown[1].endsWith(u"\r%1 of 60 points were sent in full."_s.arg(sent)));
            QCOMPARE(r.panel(1), u"Stopped: %1 of 60 points were sent in full"_s.arg(sent));
            QVERIFY2(arrived > 0 && arrived <= sent && sent < 60, qPrintable(report));
            return;
        }
        QCOMPARE(arrived, sent);
        if (stopAt) {
            QVERIFY(sent >= stopAt && sent < points);
            QCOMPARE(r.panel(1),
                     u"Stopped: %1 of %2 points were sent in full"_s.arg(sent).arg(points));
            return;
        }
        QCOMPARE(sent, points);
        QCOMPARE(report.section(u' ', 3, 4), u"framing=ok layout=ok"_s);
        if (flow) QVERIFY2(report.endsWith(u"xoff=2 held=0"_s), qPrintable(report));
        QCOMPARE(readFile(got), readFile(r.at(u"STAKE-sent.sdr"_s)));
    }

    // What the instrument got, downloaded back and converted, is the file's points digit for
    // digit, reduced observations included.
    void sentAndDownloadedBack() {
        SerialRig r;
        QTemporaryDir files;
        QVERIFY(QDir().mkpath(r.at(u"office"_s)));
        const QString source = r.at(u"office/sdr33_20151130.sdr"_s);
        QVERIFY(QFile::copy(QStringLiteral(QUORVEL_SAMPLES "/sdr33_20151130.sdr"), source));
        r.module.RunSettings.LineDelay = 0;
        r.module.RunSettings.OutputFormat = quorvel::OutputFormat::Csv;
        const QString got = files.filePath(u"got"_s);
        {
            Instrument sim({"--pty", "--receive", "--record", got});
            r.devices[u"COM1"_s] = sim.device;
            r.EdObs->setText(source);
            r.click("cmdSend");
            QVERIFY(waitFor([&] { return r.cmdReceive->isEnabled(); }, 20000));
            QCOMPARE(sim.report().section(u' ', 2, 4), u"points=26 framing=ok layout=ok"_s);
        }
        // Back as the instrument sends a job: STX and ETX are the simulator's own.
        const QByteArray back = readFile(got);
        QVERIFY(writeFile(files.filePath(u"job"_s), back.mid(1, back.size() - 2)));
        Instrument sim({"--pty", "--no-pace", files.filePath(u"job"_s)});
        r.devices[u"COM1"_s] = sim.device;
        r.click("cmdReceive");
        QVERIFY(waitFor([&] { return r.ended(); }, 20000));
        QCOMPARE(r.EdObs->text(), r.at(u"sdr33_20151130.sdr"_s));
        r.click("CmdCon");
        r.EdObs->setText(source);
        r.EdOut->setText(r.at(u"office/source.csv"_s));
        r.click("CmdCon");
        const QByteArray csv = readFile(r.at(u"sdr33_20151130.csv"_s));
        QVERIFY(csv.count('\n') == 27 && csv.contains("\r\n1002,15092.935,6588.964,158.575,\r\n"));
        QCOMPARE(csv, readFile(r.at(u"office/source.csv"_s)));
    }
};

QTEST_MAIN(SendWindowTest)
#include "window_test.moc"
