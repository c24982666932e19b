// The raw data file made from a capture: names, the overwrite question and the file
// dialog, the progress bar and the three ways a failure ends.
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "Rig.h"

using namespace download_tests;
using platform::Answer;

namespace {

const QByteArray kCapture =
    "\x02\r\n"
    "00NMSDR33 V04-04.02\r\n"
    "10NMSURVEY01        121111\r\n"
    "08TP    1001 1000.000\r\n"
    "\x03";
const QByteArray kRaw =
    "00NMSDR33 V04-04.02\r\n10NMSURVEY01        121111\r\n08TP    1001 1000.000\r\n";
const QString kNotFound = QStringLiteral("File Not Found or invalid path!\rPlease select again! ");
const QString kOther = QStringLiteral("File could not be created!\rUnknown file handling Error! ");

/// A rig whose capture is ready for readdump, as the end of a reception leaves it.
struct DumpRig : ScriptedRig {
    explicit DumpRig(const QByteArray& capture = kCapture) {
        module.RunSettings.DefaultPath = home() + QLatin1Char('/');
        module.CaptureFilePath = capturePath();
        writeFile(capturePath(), capture);
        window.setPanel(1, QStringLiteral("Converting ..."));
    }
    QString inHome(const QString& name) const { return home() + QLatin1Char('/') + name; }
};

}  // namespace

class ReaddumpTest : public QObject {
    Q_OBJECT
private slots:
    void namesTheFilesAfterTheJobAndCopiesTheRecords() {
        DumpRig r;
        r.window.readdump();
        QCOMPARE(r.c.EdObs->text(), r.inHome(QStringLiteral("SURVEY01.sdr")));
        QCOMPARE(r.c.EdOut->text(), r.inHome(QStringLiteral("SURVEY01.dat")));
        QCOMPARE(readFile(r.c.EdObs->text()), kRaw);
        QVERIFY(!QFileInfo::exists(r.capturePath()));
        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
        QVERIFY(!r.c.PB1->isVisibleTo(&r.window));
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void progressScaleFollowsTheCountAndStopsAtItsEnd() {
        const struct {
            qint64 lineCount;
            int maximum;
        } cases[] = {{12, 2}, {4, 1}, {0, 1}, {500, 100}};
        for (const auto& k : cases) {
            DumpRig r;  // five lines
            r.module.LineCount = k.lineCount;
            r.window.readdump();
            QCOMPARE(r.c.PB1->maximum(), k.maximum);
            QCOMPARE(r.c.PB1->value(), qMin(5, k.maximum));
            QVERIFY(r.dialogs.messages.isEmpty());
            QCOMPARE(readFile(r.c.EdObs->text()), kRaw);
        }
    }

    void overwriteQuestionAndFileDialog() {
        {  // Yes: overwritten without more questions
            DumpRig r;
            QVERIFY(
                writeFile(r.inHome(QStringLiteral("SURVEY01.sdr")), "old old old old old old old"));
            r.dialogs.answers = {Answer::Yes};
            r.window.readdump();
            QCOMPARE(r.dialogs.messages.size(), 1);
            QCOMPARE(r.dialogs.messages[0].text,
                     QStringLiteral("File Exists! Do you want to overwrite? "));
            QCOMPARE(r.dialogs.messages[0].caption, QStringLiteral("Problem"));
            QCOMPARE(r.dialogs.messages[0].icon, platform::Icon::Critical);
            QCOMPARE(r.dialogs.messages[0].buttons, platform::Buttons::YesNo);
            QCOMPARE(readFile(r.inHome(QStringLiteral("SURVEY01.sdr"))), kRaw);
            QVERIFY(r.dialogs.dialogTitles.isEmpty());
        }
        {  // No, then a name that exists too (asked again), then No and a new name
            DumpRig r;
            QVERIFY(writeFile(r.inHome(QStringLiteral("SURVEY01.sdr")), "keep"));
            QVERIFY(writeFile(r.inHome(QStringLiteral("site.dat")), "keep too"));
            r.dialogs.answers = {Answer::No, Answer::No};
            r.dialogs.files = {r.inHome(QStringLiteral("site.dat")),
                               r.inHome(QStringLiteral("survey"))};
            r.window.readdump();
            QCOMPARE(r.dialogs.messages.size(), 2);
            QCOMPARE(r.dialogs.dialogTitles,
                     QStringList(2, QStringLiteral("Select name for the Raw data File ...")));
            QCOMPARE(r.dialogs.dialogFilters[0],
                     QStringLiteral("SDRfiles (*.sdr)|*.sdr|All Files(*.*)|*.*"));
            QCOMPARE(r.c.EdObs->text(), r.inHome(QStringLiteral("survey")));
            QCOMPARE(r.c.EdOut->text(), r.inHome(QStringLiteral("su.dat")));
            QCOMPARE(readFile(r.inHome(QStringLiteral("survey"))), kRaw);
            QCOMPARE(readFile(r.inHome(QStringLiteral("SURVEY01.sdr"))), QByteArray("keep"));
            QCOMPARE(readFile(r.inHome(QStringLiteral("site.dat"))), QByteArray("keep too"));
        }
        {  // output names derived from a choice
            const struct {
                const char* chosen;
                const char* output;
            } names[] = {{"site.dat", "site.out"}, {"site.sdr", "site.dat"}};
            for (const auto& n : names) {
                DumpRig r;
                QVERIFY(writeFile(r.inHome(QStringLiteral("SURVEY01.sdr")), "keep"));
                r.dialogs.answers = {Answer::No};
                r.dialogs.files = {r.inHome(QLatin1String(n.chosen))};
                r.window.readdump();
                QCOMPARE(r.c.EdOut->text(), r.inHome(QLatin1String(n.output)));
            }
        }
    }

    void cancelAbandonsTheDownload() {
        DumpRig r;
        r.c.EdObs->setText(QStringLiteral("before"));
        QVERIFY(writeFile(r.inHome(QStringLiteral("SURVEY01.sdr")), "keep"));
        r.dialogs.answers = {Answer::No};
        r.dialogs.files = {QString()};
        r.port.open();
        r.window.readdump();
        QVERIFY(r.dialogs.messages.size() == 1);  // only the question
        QVERIFY(!QFileInfo::exists(r.capturePath()));
        QCOMPARE(readFile(r.inHome(QStringLiteral("SURVEY01.sdr"))), QByteArray("keep"));
        QCOMPARE(r.c.EdObs->text(), r.inHome(QStringLiteral("SURVEY01.sdr")));
        QCOMPARE(r.c.EdOut->text(), r.inHome(QStringLiteral("SURVEY01.dat")));
        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
        QVERIFY(!r.port.isOpen());
        QVERIFY(!r.c.PB1->isVisibleTo(&r.window));
    }

    void failuresKeepTheCapture() {
        {  // no capture at all: not found
            DumpRig r;
            QFile::remove(r.capturePath());
            r.window.readdump();
            QCOMPARE(r.dialogs.messages.size(), 1);
            QCOMPARE(r.dialogs.messages[0].text, kNotFound);
            QCOMPARE(r.dialogs.messages[0].caption, QStringLiteral("Problem"));
            QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
        }
        {  // the raw data file's folder is missing: not found
            DumpRig r;
            r.module.RunSettings.DefaultPath = r.inHome(QStringLiteral("gone/"));
            r.window.readdump();
            QCOMPARE(r.dialogs.messages.size(), 1);
            QCOMPARE(r.dialogs.messages[0].text, kNotFound);
            QCOMPARE(readFile(r.capturePath()), kCapture);
            QVERIFY(!r.c.PB1->isVisibleTo(&r.window));
        }
        const QByteArray noName[] = {
            "\x02"
            "10NMSTX\r\nrecord\r\n\x03",  // the STX hides the job record
            "10nmlower\r\n",
            "10NM../up\r\n",  // would leave the folder
            "10NM..\r\n",
            QByteArray("10NMa\0b\r\n", 9),
        };
        for (const QByteArray& capture : noName) {
            DumpRig r(capture);
            r.c.EdObs->setText(QStringLiteral("earlier.sdr"));
            r.window.readdump();
            QCOMPARE(r.dialogs.messages.size(), 1);
            QCOMPARE(r.dialogs.messages[0].text, kOther);
            QCOMPARE(r.c.EdObs->text(), QStringLiteral("earlier.sdr"));
            QCOMPARE(readFile(r.capturePath()), capture);
            QCOMPARE(QDir(r.home()).entryList(QDir::Files | QDir::Hidden).size(), 1);
            QVERIFY(!QFileInfo::exists(r.home() + QStringLiteral("/../up.sdr")));
        }
    }

    void aChoiceOfTheCaptureItselfIsRefused() {
        DumpRig r;
        QVERIFY(writeFile(r.inHome(QStringLiteral("SURVEY01.sdr")), "keep"));
        r.dialogs.answers = {Answer::No, Answer::Yes};
        r.dialogs.files = {r.capturePath()};
        r.window.readdump();
        QCOMPARE(r.dialogs.messages.last().text, kOther);
        QCOMPARE(readFile(r.capturePath()), kCapture);
    }

    void aFailedWriteKeepsTheCapture() {
        if (!QFileInfo::exists(QStringLiteral("/dev/full"))) QSKIP("no /dev/full");
        DumpRig r;
        // A full disk: no regular file, so no overwrite question either.
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), r.inHome(QStringLiteral("SURVEY01.sdr"))));
        r.window.readdump();
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.dialogs.messages[0].text, kOther);
        QCOMPARE(readFile(r.capturePath()), kCapture);
        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
    }
};

QTEST_MAIN(ReaddumpTest)
#include "readdump_test.moc"
