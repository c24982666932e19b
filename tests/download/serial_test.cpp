// SPDX-License-Identifier: GPL-3.0-or-later
// Downloads through a real serial port: a pseudo-terminal pair, the real port
// class and the real main window.
#include "Pty.h"
#include "Rig.h"
#include "app/IncomingView.h"
#include "platform/QtSerialPort.h"

using namespace testing_support;

namespace {

// A job in SDR33 records: 16-character point ids and numbers, northing first.
const QByteArray kRecords =
    "00NMSDR33 V04-04.02     06-Dec-26 09:12 211111\r\n"
    "10NMSURVEY01        121111\r\n"
    "08KI            10015000.000        2000.000        100.000         TRIG\r\n"
    "08KI            10025010.5          2003.25         99.9995         PEG\r\n";

/// A main window on a real serial port that every COM name resolves to.
using SerialRig = Rig<platform::QtSerialPort>;

}  // namespace

class SerialTest : public QObject {
    Q_OBJECT
private slots:
    // The instrument sends STX straight before its first record; the folder setting
    // changes while data arrives; an earlier job's names stand in the fields.
    void aDownloadEndsInTheFilesTheUserMeant_data() {
        QTest::addColumn<bool>("cancel");  // the job's file exists: No, then Cancel
        QTest::newRow("a new job") << false;
        QTest::newRow("cancel keeps the capture") << true;
    }
    void aDownloadEndsInTheFilesTheUserMeant() {
        QFETCH(bool, cancel);
        PtyPair pty;
        SerialRig r(true, pty.slave);  // the real message boxes and save dialog
        r.EdObs->setText(r.at(u"OLDJOB.sdr"_s));
        r.EdOut->setText(r.at(u"OLDJOB.dat"_s));
        ModalAnswerer answer;
        QString opened;  // the save dialog: a save dialog, on the job's name, asking nothing itself
        if (cancel) {
            QVERIFY(writeFile(r.at(u"SURVEY01.sdr"_s), "keep"));
            answer.pressButton(u"No"_s);
            answer.handleNext([&](QWidget* modal) {
                auto* d = qobject_cast<QFileDialog*>(modal);
                if (!d || d->acceptMode() != QFileDialog::AcceptSave ||
                    !d->testOption(QFileDialog::DontConfirmOverwrite))
                    return false;
                opened = d->directory().filePath(d->selectedFiles().value(0).section(u'/', -1));
                QTimer::singleShot(0, d, &QDialog::reject);
                return true;
            });
        }
        QTest::mouseClick(r.cmdReceive, Qt::LeftButton);
        // Every byte value arrives as it was sent (kept in the capture when cancelled);
        // what follows ETX in its chunk is kept too.
        QByteArray sent = "\x02" + kRecords;
        for (int b = 0; cancel && b < 4 * 256; ++b)
            if (b % 256 != 3) sent += char(b);
        QVERIFY(pty.send(sent.left(30)));
        QVERIFY(waitFor([&] { return r.captured() == 30; }));
        // Counted and shown as it comes, a few times a second.
        QTRY_VERIFY(r.panel(3).startsWith(u"30 bytes \u00b7 0 lines \u00b7 0:00"_s));
        r.module.RunSettings.DefaultPath = bytesOf(r.at(u"elsewhere"_s));  // O.K. in the settings
        QVERIFY(pty.send(sent.mid(30)));
        QVERIFY(waitFor([&] { return r.captured() == sent.size(); }));
        const QByteArray last = cancel ? "\x03 after\r\n\x02" : "\x03";
        QVERIFY(pty.send(last));
        sent += last;
        QVERIFY(waitFor([&] { return r.ended(); }));
        r.incoming().flush();
        // Every byte value, as a wrong line setting gives, is told as garbled.
        QCOMPARE(r.incoming().warning().isEmpty() && !r.panel(3).contains(u"garbled"_s), !cancel);
        QCOMPARE(r.download->bytes(), quint64(sent.size()));
        if (!cancel) {
            QCOMPARE(r.incoming().text(),
                     "<STX>" + QString::fromLatin1(kRecords).replace(u"\r\n"_s, u"\n"_s) + "<ETX>");
            QCOMPARE(r.panel(3), u"Job SURVEY01 \u00b7 4 lines"_s);
        }
        const QString obs = cancel ? u"$R55.tmp"_s : u"SURVEY01.sdr"_s;
        QCOMPARE(r.EdObs->text() + u" > "_s + r.EdOut->text(),
                 r.at(obs) + u" > "_s + r.at(obs.left(obs.size() - 4) + u".dat"_s));
        QCOMPARE(readFile(r.EdObs->text()), cancel ? sent : kRecords);
        QCOMPARE(r.state(), u"Receive | Ready | end | 0 | idle"_s);
        QCOMPARE(opened, cancel ? r.at(u"SURVEY01.sdr"_s) : QString());
        QCOMPARE(answer.unexpected + answer.pending(), 0);
        QCOMPARE(QDir(r.home()).entryList(QDir::Files | QDir::Hidden),
                 (cancel ? QStringList{u"$R55.tmp"_s} : QStringList()) << u"SURVEY01.sdr"_s);
        QCOMPARE(readFile(r.at(u"SURVEY01.sdr"_s)), cancel ? QByteArray("keep") : kRecords);
        if (cancel) return;

        // Convert goes on from there: the job's coordinates, X north and Y east.
        r.module.RunSettings.OutputFormat = quorvel::OutputFormat::Autocogo3;
        answer.pressButton(u"OK"_s);
        r.click("CmdCon");
        QCOMPARE(
            readFile(r.at(u"SURVEY01.dat"_s)),
            "1,5000.000,2000.000,100.000,TRIG,1001\r\n2,5010.500,2003.250,100.000,PEG,1002\r\n");
        QCOMPARE(answer.titles, QStringList{u"Finito"_s});
    }

    // A real job at the right settings does not look garbled (the core test checks every
    // sample); a station at another baud rate does, once, while the reception goes on.
    // Every byte is counted.
    void garbledDataIsToldCleanDataNever_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("options");
        QTest::newRow("r4-survey.obs") << u"r4-survey.obs"_s << QStringList();
        QTest::newRow("station at 9600")
            << u"r4-survey.obs"_s << QStringList{"--wrong-baud", "9600"};
    }
    void garbledDataIsToldCleanDataNever() {
        QFETCH(QString, file);
        QFETCH(QStringList, options);
        QProcess sim;
        sim.start(QStringLiteral(QUORVEL_STATION_SIM),
                  options + QStringList{"--pty", "--no-pace", "--close-after", "99999999",
                                        QDir(QStringLiteral(QUORVEL_SAMPLES)).filePath(file)});
        QVERIFY(sim.waitForReadyRead(5000));
        SerialRig r(false, QString::fromLocal8Bit(sim.readLine()).trimmed());
        QStringList warnedWhile;  // the button's caption when the warning came
        connect(r.download, &Download::garbled, this, [&](const quorvel::LineSettings& line) {
            warnedWhile << r.cmdReceive->accessibleName() + u'|' +
                               QString::fromStdString(quorvel::garbledWarning(line));
        });
        r.w.cmdReceive_Click();
        QVERIFY(waitFor([&] { return sim.state() == QProcess::NotRunning; }, 15000));
        const QByteArray said = sim.readAllStandardError();
        QVERIFY(waitFor([&] { return r.port.isOpen() == false; }));
        r.incoming().flush();
        QCOMPARE(QString::number(r.download->bytes()) + u'=' + QString::number(r.captured()),
                 said.split(' ').value(2) + u'=' + said.split(' ').value(2));
        const QString warning =
            u"The data looks garbled: check the baud rate, parity and word length in Settings "
            "(now 38400 baud, no parity, 8 data bits)."_s;
        QCOMPARE(warnedWhile,
                 options.isEmpty() ? QStringList() : QStringList{u"Stop|"_s + warning});
        QCOMPARE(r.incoming().warning(), options.isEmpty() ? QString() : warning);
        QCOMPARE(r.panel(3).startsWith(u"Data looks garbled"_s), !options.isEmpty());
    }

    // A port that does not open names every device its COM name was tried as, in order;
    // where one exists but cannot be opened, why.
    void aPortThatDoesNotOpenNamesWhatWasTried_data() {
        QTest::addColumn<QString>("last");  // the third device: missing, a file, a terminal
        QTest::addColumn<QString>("said");
        QTest::newRow("no adapter")
            << u"missing"_s << u"COM1 tried %1/ttyUSB0, %1/ttyACM0, %1/ttyS0: no such device."_s;
        QTest::newRow("no serial port")
            << u"file"_s << u"COM1 tried %1/ttyUSB0, %1/ttyACM0: no such device; %1/ttyS0: "_s;
        QTest::newRow("opens") << u"pty"_s << QString();
    }
    void aPortThatDoesNotOpenNamesWhatWasTried() {
        QFETCH(QString, last);
        QFETCH(QString, said);
        QTemporaryDir dev;
        PtyPair pty;
        const QString third = last == u"pty"_s ? pty.slave : dev.filePath(u"ttyS0"_s);
        if (last == u"file"_s) QVERIFY(writeFile(third, "not a port"));
        SerialRig r(false, third);
        r.port.setCandidates([&](const QString&) {
            return QStringList{dev.filePath(u"ttyUSB0"_s), dev.filePath(u"ttyACM0"_s), third};
        });
        r.w.cmdReceive_Click();
        const QString shown = r.dialogs.shown.join(u'\n');
        QVERIFY2(said.isEmpty()
                     ? shown.isEmpty() && r.port.isOpen()
                     : shown.startsWith(problem(u"The serial port could not be opened!\r"_s +
                                                said.arg(dev.path()))),
                 qPrintable(shown));
        r.w.cmdReceive_Click();  // Stop, where it opened
    }

    // The simulated instrument pulls the cable part way: the port's error storm raises one
    // real message box, and what arrived is kept and named, its last line told as cut off.
    void aCablePulledPartWay() {
        QTemporaryDir files;
        QVERIFY(
            writeFile(files.filePath(u"job"_s), "\r\n" + kRecords));  // STX on a line of its own
        QProcess sim;
        sim.start(QStringLiteral(QUORVEL_STATION_SIM),
                  {"--pty", "--no-pace", "--close-after", "40", files.filePath(u"job"_s)});
        QVERIFY(sim.waitForReadyRead(5000));
        SerialRig r(true, QString::fromLocal8Bit(sim.readLine()).trimmed());
        ModalAnswerer answer;
        answer.pressButton(u"OK"_s);
        r.w.cmdReceive_Click();
        QVERIFY(waitFor([&] { return answer.pending() == 0; }));
        QTest::qWait(300);
        QVERIFY(sim.state() == QProcess::NotRunning || sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode() + answer.unexpected, 0);
        QCOMPARE(answer.titles, QStringList{u"Problem"_s});
        QVERIFY2(answer.texts[0].contains(r.port.device()), qPrintable(answer.texts[0]));
        QCOMPARE(r.state() + readFile(r.capturePath()),
                 u"Receive | The transfer was cut off: the last line is incomplete | Start | 0 | "
                 "idle"_s +
                     ("\x02\r\n" + kRecords).left(40));
        QCOMPARE(r.EdObs->text(), r.capturePath());
    }
};

QTEST_MAIN(SerialTest)
#include "serial_test.moc"
