// SPDX-License-Identifier: GPL-3.0-or-later
// A download on a scripted port and scripted dialogs: the reception's states, counts,
// time-out and view of the incoming data; the raw data file's names, overwrite question,
// save dialog and progress bar; the failures that end either.

#include "Rig.h"
#include "app/IncomingView.h"
#include "core/output_name.h"
#include "download/Download.h"

using namespace testing_support;

namespace {

const QString kRunning = u"Stop | Waiting for ... | Ready | 0 | port capture timer"_s;
const QByteArray kCapture =
    "\x02"
    "00NMSDR33 V04-04.02\r\n"
    "10NMSURVEY01        121111\r\n"
    "\r\n"  // an empty line is left out, the copy goes on
    "08TP    1001 1000.000\r\n"
    "\x03"
    "0000";
const QByteArray kRaw =
    "00NMSDR33 V04-04.02\r\n10NMSURVEY01        121111\r\n08TP    1001 1000.000\r\n";
const QString kOther = problem(u"File could not be created!\rUnknown file handling Error! "_s);
const QString kExists = message(u"Problem"_s, platform::Icon::Critical, platform::Buttons::YesNo,
                                u"File Exists! Do you want to overwrite? "_s);

/// A rig whose capture is ready for the raw data file, as the end of a reception leaves
/// it, with the folder setting changed meanwhile (as O.K. in the settings leaves it).
struct DumpRig : Rig<> {
    explicit DumpRig(const QByteArray& capture) {
        module.RunSettings.DefaultPath = bytesOf(at(u"elsewhere"_s));
        if (!capture.isNull()) writeFile(capturePath(), capture);
        setPanel(1, u"Converting ..."_s);
    }
};

}  // namespace

class DownloadTest : public QObject {
    Q_OBJECT
private slots:
    // A transfer kept in the capture file moves aside, named after its time, and the field
    // that named it follows it (the waiting count tells where it went).
    void startOpensThePortAndCreatesTheCapture() {
        // Line (port, baud, parity, bits), folder ("~" is drive C:), the port's line, the folder.
        using quorvel::Parity;
        for (auto [line, folder, text, normalised] :
             {std::tuple{quorvel::LineSettings{}, u"~"_s, u"38400,N,8,1"_s, u"~/"_s},
              {{3, 9600, Parity::Even, 7, 2}, u" "_s, u"9600,E,7,2"_s, u"~/"_s},
              {{4, 1200, Parity::Odd, 8, 2}, u"~/sub"_s, u"1200,O,8,2"_s, u"~/sub/"_s},
              {{2, 19200, Parity::None, 8, 1}, u"~/sub/"_s, u"19200,N,8,1"_s, u"~/sub/"_s}}) {
            Rig r;
            QVERIFY(QDir(r.home()).mkdir(u"sub"_s));
            const QString capture = normalised.replace(u'~', r.home()) + u"$R55.tmp"_s;
            const QString kept = normalised + u"transfer-20261206-091200.tmp"_s;
            QFile file(capture);
            QVERIFY(writeFile(capture, "left from last time") && file.open(QIODevice::ReadWrite) &&
                    file.setFileTime(QDateTime(QDate(2026, 12, 6), QTime(9, 12)),
                                     QFileDevice::FileModificationTime));
            r.EdObs->setText(capture);    // as Stop left it
            r.lblTime->setText(u"17"_s);  // a count left by an earlier reception
            r.module.RunSettings.Line = line;
            r.module.RunSettings.DefaultPath = bytesOf(folder.replace(u'~', r.home()));
            r.w.cmdReceive_Click();
            const QString note = u"The earlier transfer was kept as transfer-20261206-091200.tmp"_s;
            QCOMPARE(QStringList({QString::number(r.port.line().port),
                                  QString::fromStdString(quorvel::lineText(r.port.line())),
                                  r.download->capturePath(), readFile(capture), readFile(kept),
                                  r.EdObs->text() + u'>' + r.EdOut->text(), r.state()}),
                     QStringList({QString::number(line.port), text, capture, "",
                                  "left from last time", kept + u'>' + kept.chopped(3) + u"dat"_s,
                                  QString(kRunning).replace(u"Waiting for ..."_s, note)}));
            r.w.Timer1_Timer();
            QCOMPARE(r.panel(1), u"Waiting for ... ( 1) \u00b7 "_s + note);
        }
        Rig r;  // a port already open: Receive closes it
        r.port.open();
        r.w.cmdReceive_Click();
        QVERIFY(!r.port.isOpen());
    }

    void timeOutComesAtTheTwentyFirstTickAndOnlyOnce() {
        Rig r;
        r.w.cmdReceive_Click();
        for (int tick = 1; tick <= 20; ++tick) r.w.Timer1_Timer();
        QCOMPARE(r.state(), u"Stop | Waiting for ... ( 20) | Ready | 20 | port capture timer"_s);
        r.dialogs.whileShowing = [&] {  // the clock goes on ticking and data may come
            for (int i = 0; i < 5; ++i) r.w.Timer1_Timer();
            r.port.receive("late");
        };
        r.w.Timer1_Timer();
        for (int i = 0; i < 30; ++i) r.w.Timer1_Timer();
        QCOMPARE(r.dialogs.shown,
                 QStringList{problem(u"No Data is received from Total Station!\rPlease Check "
                                     "cable and settings!\rNo connection was established ! "_s)});
        QCOMPARE(r.state(), u"Receive | Ready | Ready | 0 | idle"_s);
        QCOMPARE(readFile(r.capturePath()), QByteArray("late"));  // kept, closed
        r.w.cmdReceive_Click();  // the next reception waits its full time again
        for (int tick = 1; tick <= 21; ++tick) r.w.Timer1_Timer();
        QCOMPARE(r.dialogs.shown.size(), 2);
    }

    void eventsAreCountedAndChunksCapturedUntilEtx() {
        Rig r;
        r.download->setLineCount(7);  // the count goes on from earlier receptions
        r.w.cmdReceive_Click();
        for (int i = 0; i < 5; ++i) r.w.Timer1_Timer();
        r.port.signalEvent(platform::ComEvCTS);  // a line signal ends the waiting too
        for (int i = 0; i < 40; ++i) r.w.Timer1_Timer();
        r.port.signalEvent(platform::ComEvRing);
        QCOMPARE(r.state(), u"Stop | Waiting for ... ( 5) | Ready | 5 | port capture idle"_s);
        r.port.receive("\x02\r\n00NMSDR\r\n");
        QCOMPARE(r.state(), u"Stop | Start receieve ... | Start | 5 | port capture idle"_s);
        r.port.receive("no record\r\n");
        QCOMPARE(r.panel(1), u"Receiving... "_s);
        r.port.receive(QByteArray());  // an empty chunk counts as well
        QCOMPARE(r.download->lineCount(), 12);
        // A conversion meanwhile leaves the capture open (and counts its lines in LineCount).
        QVERIFY(writeFile(r.at(u"job.obs"_s),
                          "    R4    TR 1100 X 1.0                 2.0                 3.0\r\n"));
        r.EdObs->setText(r.at(u"job.obs"_s));
        r.EdOut->setText(r.at(u"job.dat"_s));
        r.w.CmdCon_Click();
        QVERIFY(r.dialogs.shown.value(0).startsWith(u"Finito"_s) && r.download->captureOpen());
        // No job record: the capture stays, with what followed ETX in its chunk.
        const QByteArray last("tail\003after\002\003");
        r.port.receive(last);
        QCOMPARE(r.download->lineCount(), 1);
        QCOMPARE(r.state(), u"Receive | Ready | end | 5 | idle"_s);
        QCOMPARE(readFile(r.capturePath()), "\x02\r\n00NMSDR\r\nno record\r\n" + last);
        QCOMPARE(r.dialogs.shown.mid(1), QStringList{kOther});
        // After the end, port events change nothing but the timer.
        r.timer->start();
        r.port.receive("\x02stray\x03");
        r.port.signalEvent(platform::ComEvCD);
        QCOMPARE(r.state() + QString::number(r.download->lineCount()),
                 u"Receive | Ready | end | 5 | idle1"_s);
        qint64 now = 0;  // the counts' clock
        r.download->setClock([&] { return now; });
        r.w.cmdReceive_Click();  // the next start handles events again
        r.port.receive("x" + QByteArray(34, '\r') + QByteArray(2966, 'y'));
        QCOMPARE(r.state() + QString::number(r.download->lineCount()),
                 u"Stop | Receiving...  | Ready | 0 | port capture idle2"_s);
        // The rate of the last seconds of data, which a stall keeps; after the end the whole
        // time and the mean rate.
        now = 12'000;
        const QString counts = u"3,001 bytes \u00b7 34 lines \u00b7 0:%1 \u00b7 %2 B/s"_s;
        QCOMPARE(r.download->progressText(),
                 counts.arg(u"12"_s, u"3,001"_s) + u" \u00b7 last byte 12 s ago"_s);
        now = 30'000;
        // Stop keeps what arrived and names the file really written, whatever the settings say;
        // it tells of a last line without its end.
        r.module.RunSettings.DefaultPath = "/elsewhere";
        QTest::mouseClick(r.cmdReceive, Qt::LeftButton);
        r.port.receive("ignored");
        QCOMPARE(r.state() + readFile(r.capturePath()).right(1),
                 u"Receive | The transfer was cut off: the last line is incomplete | Ready | 0 | "
                 "idley"_s);
        QCOMPARE(r.panel(3), counts.arg(u"30"_s, u"100"_s));
        QCOMPARE(r.EdObs->text() + r.EdOut->text(), r.capturePath() + r.at(u"$R55.dat"_s));
        QCOMPARE(r.dialogs.shown.size(), 2);
    }

    // Of a burst only the newest bytes are drawn, the others counted; the view follows the
    // end unless scrolled up, and draws by itself soon after data arrives.
    void incomingDataIsShownNewestLast() {
        IncomingView v;
        QScrollBar* bar = v.findChild<QPlainTextEdit*>()->verticalScrollBar();
        v.append("x\n" + QByteArray(IncomingView::kTail - 41, 'a') + QByteArray(40, '\r'));
        v.flush();
        QVERIFY(v.text().startsWith(u"\n[1 bytes not shown]\n<LF>aaa"_s));
        QVERIFY(v.findChild<QPlainTextEdit*>()->isReadOnly());
        QVERIFY(bar->value() == bar->maximum() && bar->maximum() > 0);
        bar->setValue(0);
        v.append("more\r");
        QTRY_VERIFY(v.text().endsWith(u"more\n"_s));
        QCOMPARE(bar->value(), 0);
        // An LF after bytes left out is no end of the CR before them.
        v.append("yyyyy\n" + QByteArray(IncomingView::kTail - 1, 'b'));
        v.flush();
        QVERIFY(v.text().contains(u"more\n\n[5 bytes not shown]\n<LF>bbb"_s));
    }

    void failuresEndTheReceptionWithOneProblem_data() {
        QTest::addColumn<QString>("said");  // in the message
        QTest::addColumn<QString>("after");
        const QString neverStarted = u"Receive | Ready |  | 0 | idle timer"_s;
        QTest::newRow("port") << u"/dev/ttyUSB0: no such device."_s << neverStarted;

        QTest::newRow("a link") << u"/$R55.tmp: is a symbolic link, which is not followed"_s
                                << neverStarted;
        QTest::newRow("write") << u"File too large"_s << u"Receive | Ready | Ready | 0 | idle"_s;
        QTest::newRow("line lost")
            << u"the connection was lost (gone)."_s << u"Receive | Ready | Start | 0 | idle"_s;
    }
    void failuresEndTheReceptionWithOneProblem() {
        QFETCH(QString, said);
        QFETCH(QString, after);
        const QByteArray how = QTest::currentDataTag();
        Rig r;
        r.port.failOpen = how == "port";
        r.port.openError = u"/dev/ttyUSB0: no such device."_s;
        // A link in the capture's place (a shared folder, say) leads to a file of the user's.
        QVERIFY(writeFile(r.at(u"theirs.sdr"_s), "keep"));
        if (how == "a link") QVERIFY(QFile::link(r.at(u"theirs.sdr"_s), r.capturePath()));
        r.w.cmdReceive_Click();
        if (how == "write" || how == "line lost") {
            std::optional<FileSizeLimit> full;
            if (how == "write") full.emplace(4);
            r.port.receive("\x02\r\n10NMJOB\r\n");
        }
        if (how == "line lost") r.port.lose(u"/dev/ttyUSB0: "_s + said);
        const QStringList one = r.dialogs.shown;
        QVERIFY2(one.size() == 1 && one[0].startsWith(problem(u"The "_s)) && one[0].contains(said),
                 qPrintable(one.join(u'\n')));
        QCOMPARE(r.state(), after);
        if (how == "line lost") {  // as Stop ends it: what arrived is kept and named
            QCOMPARE(readFile(r.capturePath()), "\x02\r\n10NMJOB\r\n");
            QCOMPARE(r.EdObs->text() + r.EdOut->text(), r.capturePath() + r.at(u"$R55.dat"_s));
        }
        QCOMPARE(QFileInfo::exists(r.capturePath()), how != "port");
        QCOMPARE(readFile(r.at(u"theirs.sdr"_s)), QByteArray("keep"));
        // Nothing runs any more: no time-out, no second message.
        for (int i = 0; i < 30; ++i) r.w.Timer1_Timer();
        r.port.receive("more");
        r.port.lose(u"again"_s);
        QCOMPARE(r.dialogs.shown, one);
    }

    // From the capture to the raw data file, or to the reason there is none: the
    // questions, the save dialog, the names in the fields and what each file holds.
    void readdumpEndsInTheFilesTheUserMeant_data() {
        QTest::addColumn<QByteArray>("capture");  // null: none
        QTest::addColumn<QString>("answers");     // Y or N to each question
        QTest::addColumn<QStringList>("chosen");  // in the save dialog; null: Cancel
        QTest::addColumn<QString>("last");        // message after the questions, if any
        QTest::addColumn<QString>("obs");         // the file named in the field, "": none
        QTest::addColumn<QByteArray>("obsHolds");
        const QString notFound =
            problem(u"File Not Found or invalid path!\rPlease select again! "_s);
        const QStringList none;
        // clang-format off
        QTest::newRow("yes") << kCapture << "Y" << none << "" << "SURVEY01.sdr" << kRaw;
        QTest::newRow("two jobs") << QByteArray("\x02" "10NMFIRSTJOB\r\n08KI\r\n10NMSECONDJOB\r\n08KI\r\n\x03")
                                  << "" << none << "" << "FIRSTJOB.sdr"
                                  << QByteArray("10NMFIRSTJOB\r\n08KI\r\n10NMSECONDJOB\r\n08KI\r\n");
        QTest::newRow("one line") << QByteArray("\x02" "10NMONE\r\n\x03") << "" << none << "" << "ONE.sdr"
                                  << QByteArray("10NMONE\r\n");
        QTest::newRow("a link, yes") << QByteArray("\x02" "10NMlink\r\n08KI\r\n\x03") << "Y" << none << ""
                                     << "link.sdr" << QByteArray("10NMlink\r\n08KI\r\n");
        QTest::newRow("no, taken, no, new") << kCapture << "NN" << QStringList{"site.dat", "survey"} << ""
                                            << "survey.sdr" << kRaw;  // a bare name is a raw data file
        QTest::newRow("cancel") << kCapture << "N" << QStringList{QString()} << "" << "$R55.tmp" << kCapture;
        QTest::newRow("the capture itself") << kCapture << "NY" << QStringList{"$R55.tmp"} << kOther
                                            << "$R55.tmp" << kCapture;
        QTest::newRow("a folder that is gone") << kCapture << "N" << QStringList{"gone/x.sdr"} << notFound
                                               << "gone/x.sdr" << QByteArray("<missing>");
        QTest::newRow("disk full") << kCapture << "Y" << none << kOther << "SURVEY01.sdr" << QByteArray("keep");
        QTest::newRow("no capture") << QByteArray() << "" << none << notFound << "" << QByteArray();
        QTest::newRow("no job record") << QByteArray("\x02\r\nx\r\n\x03") << "" << none << kOther << "" << QByteArray();
        QTest::newRow("job ..") << QByteArray("10NM..\r\n") << "" << none << kOther << "" << QByteArray();
        // clang-format on
    }
    void readdumpEndsInTheFilesTheUserMeant() {
        QFETCH(QByteArray, capture);
        QFETCH(QString, answers);
        QFETCH(QStringList, chosen);
        QFETCH(QString, last);
        QFETCH(QString, obs);
        QFETCH(QByteArray, obsHolds);
        DumpRig r(capture);
        QVERIFY(writeFile(r.at(u"SURVEY01.sdr"_s), "keep") &&
                writeFile(r.at(u"site.dat"_s), "keep"));
        // A link in the job's place leads to a file of the user's: replaced, never written through.
        QVERIFY(QFile::link(r.at(u"site.dat"_s), r.at(u"link.sdr"_s)));
        r.EdObs->setText(u"earlier.sdr"_s);
        for (const QChar a : answers)
            r.dialogs.answers.push_back(a == u'Y' ? platform::Answer::Yes : platform::Answer::No);
        for (const QString& name : chosen)
            r.dialogs.files.push_back(name.isNull() ? name : r.at(name));
        {
            std::optional<FileSizeLimit> full;
            if (QTest::currentDataTag() == QByteArrayView("disk full")) full.emplace(16);
            r.download->rawData().run(r.capturePath(), 500);  // the bar ends at a fifth of 500
        }
        QCOMPARE(r.dialogs.shown,
                 QStringList(answers.size(), kExists) + QStringList(last).filter(u"/"_s));
        // The save dialog opens on the job's name in the download folder, then on the last choice.
        QStringList proposals;
        for (const QString& name : QStringList{u"SURVEY01.sdr"_s} + chosen)
            if (proposals.size() < chosen.size()) proposals << r.at(name);
        QCOMPARE(r.dialogs.saveProposals, proposals);
        QCOMPARE(
            r.dialogs.dialogs,
            QStringList(
                chosen.size(),
                u"Select name for the Raw data File ... | SDRfiles (*.sdr)|*.sdr|All Files(*.*)|*.*"_s));
        const QString out =
            obs.isEmpty() ? QString() : r.at(quorvel::outputNameFor(obs.toStdString()).c_str());
        QCOMPARE(r.EdObs->text() + u" > "_s + r.EdOut->text(),
                 (obs.isEmpty() ? u"earlier.sdr"_s : r.at(obs)) + u" > "_s + out);
        if (!obs.isEmpty()) QCOMPARE(readFile(r.at(obs)), obsHolds);
        if (!obs.startsWith(u"SURVEY01"))
            QCOMPARE(readFile(r.at(u"SURVEY01.sdr"_s)), QByteArray("keep"));
        QCOMPARE(readFile(r.at(u"site.dat"_s)), QByteArray("keep"));
        // Only a complete copy ends the download: the capture goes.
        const bool copied = last.isEmpty() && obs != u"$R55.tmp";
        QCOMPARE(readFile(r.capturePath()), copied || capture.isNull() ? "<missing>" : capture);
        auto* bar = child<QProgressBar>(&r.w, "PB1");  // one step a line read
        const int lines = obs == u"link.sdr"                 ? 3
                          : obs == u"ONE.sdr"                ? 2
                          : copied || obs == u"SURVEY01.sdr" ? 5
                                                             : 0;
        QCOMPARE(QList({bar->maximum(), bar->value()}), QList({100, lines}));
        QCOMPARE(bar->isVisibleTo(&r.w), last == kOther && obs.size() > 0);
        // One file holds every job, named after the first (as stored files expect): told so.
        const bool twoJobs = obs == u"FIRSTJOB.sdr";
        if (obs == u"ONE.sdr") QCOMPARE(r.panel(3), u"Job ONE \u00b7 1 line"_s);
        QCOMPARE(r.panel(1), twoJobs ? u"The transfer held 2 jobs (FIRSTJOB, SECONDJOB): all are "
                                       "in FIRSTJOB.sdr"_s
                                     : u"Ready"_s);
        // Nothing else written, in the folder or beside it.
        QCOMPARE(QDir(r.home()).entryList(QDir::Files | QDir::Hidden).size(),
                 3 + !capture.isNull() - copied +
                     (obs == u"survey.sdr" || twoJobs || obs == u"ONE.sdr"));
    }
};

QTEST_MAIN(DownloadTest)
#include "reception_test.moc"
