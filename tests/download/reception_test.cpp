// A download on a scripted port and scripted dialogs: the reception's states, counts
// and time-out; the raw data file's names, overwrite question, file dialog and
// progress bar; the failures that end either.
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTest>

#include "ModalAnswerer.h"
#include "Rig.h"

using namespace download_tests;

namespace {

enum Failure { PortWontOpen, CaptureWontCreate, CaptureIsALink, WriteFails, LineLost };
const QString kRunning = u"Stop | Waiting for ... | Ready | 0 | port capture timer"_s;
const QByteArray kCapture =
    "\x02\r\n"
    "00NMSDR33 V04-04.02\r\n"
    "10NMSURVEY01        121111\r\n"
    "\r\n"  // an empty line is left out, the copy goes on
    "08TP    1001 1000.000\r\n"
    "\x03";
const QByteArray kRaw =
    "00NMSDR33 V04-04.02\r\n10NMSURVEY01        121111\r\n08TP    1001 1000.000\r\n";
const QString kNotFound = u"File Not Found or invalid path!\rPlease select again! "_s;
const QString kOther = u"File could not be created!\rUnknown file handling Error! "_s;
const QString kExists = u"File Exists! Do you want to overwrite?  [Yes/No]"_s;

/// A rig whose capture is ready for readdump, as the end of a reception leaves it,
/// with the folder setting changed meanwhile (as O.K. in the settings leaves it).
struct DumpRig : ScriptedRig {
    explicit DumpRig(const QByteArray& capture = kCapture) {
        module.RunSettings.DefaultPath = at(u"elsewhere"_s);
        module.CaptureFilePath = capturePath();
        if (!capture.isNull()) writeFile(capturePath(), capture);
        window.setPanel(1, u"Converting ..."_s);
        port.open();
    }
};

}  // namespace

class DownloadTest : public QObject {
    Q_OBJECT
private slots:
    void startOpensThePortAndCreatesTheCapture_data() {
        QTest::addColumn<QString>("portName");
        QTest::addColumn<QString>("folder");  // "~" is drive C:
        QTest::addColumn<QString>("line");    // baud,parity,data bits,stop bits
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("normalised");
        QTest::newRow("drive C:") << u"COM1"_s << u"~"_s << u"38400,N,8,1"_s << 1 << u"~/"_s;
        QTest::newRow("blank folder") << u"COM3"_s << u" "_s << u"9600,E,7,2"_s << 3 << u"~/"_s;
        QTest::newRow("no separator")
            << u"COM4"_s << u"~/sub"_s << u"1200,O,8,2"_s << 4 << u"~/sub/"_s;
        QTest::newRow("unknown port")
            << u"COM9"_s << u"~/sub/"_s << u"19200,N,8,1"_s << 2 << u"~/sub/"_s;
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

    void eventsAreCountedAndChunksCapturedUntilEtx() {
        ScriptedRig r;
        r.module.LineCount = 7;  // the count goes on from earlier receptions
        r.window.cmdReceive_Click();
        for (int i = 0; i < 5; ++i) r.window.Timer1_Timer();
        r.port.signalEvent(platform::ComEvCTS);  // a line signal ends the waiting too
        for (int i = 0; i < 40; ++i) r.window.Timer1_Timer();
        r.port.signalEvent(platform::ComEvRing);
        QCOMPARE(state(r), u"Stop | Waiting for ... ( 5) | Ready | 5 | port capture idle"_s);
        r.port.receive("\x02\r\n00NMSDR\r\n");
        QCOMPARE(state(r), u"Stop | Start receieve ... | Start | 5 | port capture idle"_s);
        r.port.receive("no record\r\n");
        QCOMPARE(r.window.panel(1), u"Receiving... "_s);
        r.port.receive(QByteArray());  // an empty chunk counts as well
        QCOMPARE(r.module.LineCount, 12);
        QCOMPARE(shown(r.dialogs), QStringList());

        // No job record in the capture: it stays, with what followed ETX in its chunk.
        const QByteArray last("tail\003after\002\003");
        r.port.receive(last);
        QCOMPARE(r.module.LineCount, 12);
        QCOMPARE(state(r), u"Receive | Ready | end | 5 | idle"_s);
        QCOMPARE(readFile(r.capturePath()), "\x02\r\n00NMSDR\r\nno record\r\n" + last);
        QCOMPARE(shown(r.dialogs), QStringList{kOther});

        // After the end, port events change nothing but the timer and the idle flag.
        r.c.Timer1->start();
        r.module.RunSettings.DownloadIdle = false;
        r.port.receive("\x02stray\x03");
        r.port.signalEvent(platform::ComEvCD);
        QCOMPARE(state(r), u"Receive | Ready | end | 5 | idle"_s);
        QCOMPARE(r.module.LineCount, 12);
        QCOMPARE(shown(r.dialogs), QStringList{kOther});

        r.window.cmdReceive_Click();  // the next start handles events again
        QCOMPARE(state(r), kRunning);
        r.port.receive("x");
        QCOMPARE(r.module.LineCount, 13);
        QCOMPARE(readFile(r.capturePath()), QByteArray("x"));
    }

    void convertDuringAReceptionLeavesTheCaptureOpen() {
        ScriptedRig r;
        r.window.cmdReceive_Click();
        r.port.receive(
            "\x02"
            "first ");
        QVERIFY(writeFile(r.at(u"job.obs"_s),
                          "    R4    TR 1100 X 1.0                 2.0                 3.0"));
        r.c.EdObs->setText(r.at(u"job.obs"_s));
        r.c.EdOut->setText(r.at(u"job.dat"_s));
        r.window.CmdCon_Click();
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.dialogs.messages[0].caption, u"Finito"_s);
        QVERIFY(r.window.captureOpen());
        r.port.receive("second\x03");
        QCOMPARE(readFile(r.capturePath()), QByteArray("\x02"
                                                       "first second\x03"));
    }

    void failuresEndTheReceptionWithOneProblem_data() {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("said");  // in the message
        QTest::addColumn<QString>("after");
        const QString idle = u"Receive | Ready | Ready | 0 | idle"_s;
        const QString neverStarted = u"Receive | Ready |  | 0 | idle timer"_s;
        QTest::newRow("port") << int(PortWontOpen) << u"/dev/ttyUSB0: no such device."_s
                              << neverStarted;
        QTest::newRow("capture") << int(CaptureWontCreate)
                                 << u"/missing/$R55.tmp: No such file or directory"_s
                                 << neverStarted;
        QTest::newRow("capture is a link")
            << int(CaptureIsALink) << u"/$R55.tmp: is a symbolic link, which is not followed"_s
            << neverStarted;
        QTest::newRow("write") << int(WriteFails) << u"File too large"_s << idle;
        QTest::newRow("line lost") << int(LineLost) << u"the connection was lost (gone)."_s
                                   << u"Receive | Ready | Start | 0 | idle"_s;
    }
    void failuresEndTheReceptionWithOneProblem() {
        QFETCH(int, failure);
        QFETCH(QString, said);
        QFETCH(QString, after);
        ScriptedRig r;
        r.port.failOpen = failure == PortWontOpen;
        r.port.openError = u"/dev/ttyUSB0: no such device."_s;
        if (failure == CaptureWontCreate) r.module.RunSettings.DefaultPath = r.at(u"missing"_s);
        // A link in the capture's place (a shared folder, say) leads to a file of the user's.
        const QString theirs = r.at(u"theirs.sdr"_s);
        QVERIFY(writeFile(theirs, "keep"));
        if (failure == CaptureIsALink) QVERIFY(QFile::link(theirs, r.capturePath()));
        r.window.cmdReceive_Click();
        if (failure == WriteFails || failure == LineLost) {
            std::optional<FileSizeLimit> full;
            if (failure == WriteFails) full.emplace(4);
            r.port.receive("\x02\r\n10NMJOB\r\n");
        }
        if (failure == LineLost) r.port.lose(u"/dev/ttyUSB0: "_s + said);

        const QStringList one = shown(r.dialogs);
        QVERIFY2(one.size() == 1 && one[0].startsWith(u"The ") && one[0].contains(said),
                 qPrintable(one.join(u'\n')));
        QCOMPARE(state(r), after);
        if (failure == LineLost) {  // as Stop ends it: what arrived is kept and named
            QCOMPARE(readFile(r.capturePath()), "\x02\r\n10NMJOB\r\n");
            QCOMPARE(r.c.EdObs->text() + r.c.EdOut->text(), r.capturePath() + r.at(u"$R55.dat"_s));
        }
        if (failure < CaptureIsALink) QVERIFY(!QFileInfo::exists(r.capturePath()));
        QCOMPARE(readFile(theirs), QByteArray("keep"));

        // Nothing runs any more: no time-out, no second message.
        for (int i = 0; i < 30; ++i) r.window.Timer1_Timer();
        r.port.receive("more");
        r.port.lose(u"again"_s);
        QCOMPARE(shown(r.dialogs), one);

        r.port.failOpen = false;  // the next click starts normally
        if (failure == CaptureIsALink) QVERIFY(QFile::remove(r.capturePath()));
        r.module.RunSettings.DefaultPath = r.home();
        r.window.cmdReceive_Click();
        QCOMPARE(state(r), kRunning);
    }

    void progressNeverFailsTheCopy() {
        // Six lines read; the bar's end is a fifth of the events counted, at least 1.
        for (const auto& [count, maximum, value] :
             {std::tuple{12, 2, 2}, {4, 1, 1}, {0, 1, 1}, {500, 100, 6}}) {
            DumpRig r;
            r.module.LineCount = count;
            r.window.readdump();
            QCOMPARE(QList({r.c.PB1->maximum(), r.c.PB1->value()}), QList({maximum, value}));
            QCOMPARE(readFile(r.at(u"SURVEY01.sdr"_s)), kRaw);
        }
    }

    void overwriteQuestionAndFileDialog_data() {
        QTest::addColumn<QString>("answers");     // Y or N to each question
        QTest::addColumn<QStringList>("chosen");  // in the file dialog; null: Cancel
        QTest::addColumn<QString>("obs");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QByteArray>("obsHolds");
        QTest::newRow("yes") << u"Y"_s << QStringList() << u"SURVEY01.sdr"_s << u"SURVEY01.dat"_s
                             << kRaw;
        QTest::newRow("a link, yes")
            << u"Y"_s << QStringList() << u"link.sdr"_s << u"link.dat"_s << kRaw;
        QTest::newRow("no, taken, no, new") << u"NN"_s << QStringList{u"site.dat"_s, u"survey"_s}
                                            << u"survey"_s << u"survey.dat"_s << kRaw;
        QTest::newRow("cancel") << u"N"_s << QStringList{QString()} << u"$R55.tmp"_s
                                << u"$R55.dat"_s << kCapture;
        QTest::newRow("the capture itself")
            << u"NY"_s << QStringList{u"$R55.tmp"_s} << u"$R55.tmp"_s << u"$R55.dat"_s << kCapture;
    }
    void overwriteQuestionAndFileDialog() {
        QFETCH(QString, answers);
        QFETCH(QStringList, chosen);
        QFETCH(QString, obs);
        QFETCH(QString, out);
        QFETCH(QByteArray, obsHolds);
        const QByteArray tag = QTest::currentDataTag();
        DumpRig r(tag == "a link, yes" ? "\x02"
                                         "10NMlink\r\n08KI\r\n\x03"
                                       : kCapture);
        QVERIFY(writeFile(r.at(u"SURVEY01.sdr"_s), "keep"));
        QVERIFY(writeFile(r.at(u"site.dat"_s), "keep"));
        // A link in the job's place leads to a file of the user's: it is replaced, never
        // written through.
        QVERIFY(QFile::link(r.at(u"site.dat"_s), r.at(u"link.sdr"_s)));
        if (tag == "a link, yes") obsHolds = "10NMlink\r\n08KI\r\n";
        for (const QChar a : answers)
            r.dialogs.answers.push_back(a == u'Y' ? platform::Answer::Yes : platform::Answer::No);
        for (const QString& name : chosen)
            r.dialogs.files.push_back(name.isNull() ? name : r.at(name));
        r.window.readdump();

        const bool fails = tag == "the capture itself";  // writing it would lose the capture
        QCOMPARE(shown(r.dialogs), QStringList(answers.size(), kExists) +
                                       (fails ? QStringList{kOther} : QStringList()));
        // The save dialog opens on the job's name in the download folder, then on the last choice.
        QStringList proposals;
        for (const QString& name :
             QStringList{u"SURVEY01.sdr"_s} + chosen.mid(0, chosen.size() - 1))
            if (proposals.size() < chosen.size()) proposals << r.at(name);
        QCOMPARE(r.dialogs.saveProposals, proposals);
        QCOMPARE(r.dialogs.dialogTitles,
                 QStringList(chosen.size(), u"Select name for the Raw data File ..."_s));
        QCOMPARE(r.dialogs.dialogFilters,
                 QStringList(chosen.size(), u"SDRfiles (*.sdr)|*.sdr|All Files(*.*)|*.*"_s));
        QCOMPARE(r.c.EdObs->text() + u" > "_s + r.c.EdOut->text(),
                 r.at(obs) + u" > "_s + r.at(out));
        QCOMPARE(readFile(r.at(obs)), obsHolds);
        if (!obs.startsWith(u"SURVEY01"))
            QCOMPARE(readFile(r.at(u"SURVEY01.sdr"_s)), QByteArray("keep"));
        QCOMPARE(readFile(r.at(u"site.dat"_s)), QByteArray("keep"));
        // Only a complete copy ends the download: the capture goes, the port closes.
        const bool copied = tag != "cancel" && !fails;
        QCOMPARE(QFileInfo::exists(r.capturePath()), !copied);
        QCOMPARE(r.port.isOpen(), fails);
        if (!fails) QVERIFY(!r.c.PB1->isVisibleTo(&r.window));
        QCOMPARE(r.window.panel(1), u"Ready"_s);
    }

    void theRealSaveDialogOpensOnTheJobAndLeavesTheQuestionToUs() {
        Rig<testing_support::ScriptedSerialPort, platform::QtDialogs> r;
        r.dialogs.setParent(&r.window);
        r.module.CaptureFilePath = r.capturePath();
        for (const auto& [name, data] : {std::pair{u"$R55.tmp"_s, kCapture},
                                         {u"SURVEY01.sdr"_s, QByteArray("keep")},
                                         {u"site.sdr"_s, QByteArray("old")}})
            QVERIFY(writeFile(r.at(name), data));
        testing_support::ModalAnswerer answer;
        answer.pressButton(u"No"_s);
        QString opened;
        answer.handleNext([&](QWidget* modal) {
            auto* d = qobject_cast<QFileDialog*>(modal);
            if (!d || d->acceptMode() != QFileDialog::AcceptSave) return false;
            opened = d->directory().filePath(d->selectedFiles().value(0).section(u'/', -1));
            testing_support::chooseFile(d, r.at(u"site.sdr"_s));
            return true;
        });
        answer.pressButton(u"Yes"_s);  // the question again, for the file chosen
        r.window.readdump();
        QCOMPARE(opened, r.at(u"SURVEY01.sdr"_s));
        QCOMPARE(answer.texts, QStringList(2, u"File Exists! Do you want to overwrite? "_s));
        QCOMPARE(answer.unexpected + answer.pending(), 0);
        QCOMPARE(readFile(r.at(u"site.sdr"_s)), kRaw);
        QCOMPARE(readFile(r.at(u"SURVEY01.sdr"_s)), QByteArray("keep"));
    }

    void failuresKeepTheCapture_data() {
        QTest::addColumn<QByteArray>("capture");  // null: none
        QTest::addColumn<QString>("message");
        QTest::newRow("no capture") << QByteArray() << kNotFound;
        QTest::newRow("no job record") << QByteArray("\x02\r\nx\r\n\x03") << kOther;
        QTest::newRow("job ../up") << QByteArray("10NM../up\r\n") << kOther;
        QTest::newRow("job ..") << QByteArray("10NM..\r\n") << kOther;
        QTest::newRow("disk full") << kCapture << kOther;
    }
    void failuresKeepTheCapture() {
        QFETCH(QByteArray, capture);
        QFETCH(QString, message);
        QVERIFY(QDir(QDir::tempPath()).exists());
        DumpRig r(QByteArray{});
        // In a folder of drive C:, so that "../up.sdr" would stay in it.
        QVERIFY(QDir(r.home()).mkdir(u"dl"_s));
        r.module.CaptureFilePath = r.at(u"dl/$R55.tmp"_s);
        if (!capture.isNull()) QVERIFY(writeFile(r.module.CaptureFilePath, capture));
        QVERIFY(writeFile(r.at(u"dl/SURVEY01.sdr"_s), "old"));
        {
            std::optional<FileSizeLimit> full;
            if (QTest::currentDataTag() == QByteArrayView("disk full")) full.emplace(16);
            r.window.readdump();
        }
        const QStringList said =
            capture == kCapture ? QStringList{kExists, message} : QStringList{message};
        QCOMPARE(shown(r.dialogs), said);
        QCOMPARE(r.window.panel(1), u"Ready"_s);
        if (!capture.isNull()) QCOMPARE(readFile(r.module.CaptureFilePath), capture);
        // Nothing else written, in the folder or beside it; an earlier raw file as it was.
        QCOMPARE(readFile(r.at(u"dl/SURVEY01.sdr"_s)), QByteArray("old"));
        QStringList found = QDir(r.home()).entryList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QString& name :
             QDir(r.at(u"dl"_s)).entryList(QDir::Files | QDir::Hidden | QDir::System))
            found << u"dl/"_s + name;
        QCOMPARE(found, (capture.isNull() ? QStringList() : QStringList{u"dl/$R55.tmp"_s}) +
                            QStringList{u"dl/SURVEY01.sdr"_s});
    }
};

QTEST_MAIN(DownloadTest)
#include "reception_test.moc"
