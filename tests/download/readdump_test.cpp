// The raw data file made from a capture: names, the overwrite question and the file
// dialog, the progress bar and the three ways a failure ends.
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include "Rig.h"

using namespace download_tests;

namespace {

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
const QString kEarlier = u"earlier.sdr"_s;  // EdObs before readdump
const QString kExists = u"File Exists! Do you want to overwrite?  [Yes/No]"_s;

/// A rig whose capture is ready for readdump, as the end of a reception leaves it.
struct DumpRig : ScriptedRig {
    explicit DumpRig(const QByteArray& capture = kCapture) {
        module.RunSettings.DefaultPath = home() + u'/';
        module.CaptureFilePath = capturePath();
        if (!capture.isNull()) writeFile(capturePath(), capture);
        c.EdObs->setText(kEarlier);
        window.setPanel(1, u"Converting ..."_s);
        port.open();
    }
};

}  // namespace

class ReaddumpTest : public QObject {
    Q_OBJECT
private slots:
    void copiesTheRecordsUnderTheJobName_data() {
        QTest::addColumn<qint64>("lineCount");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("value");  // six lines read: the bar stops at its end
        QTest::newRow("12") << qint64(12) << 2 << 2;
        QTest::newRow("4") << qint64(4) << 1 << 1;
        QTest::newRow("0") << qint64(0) << 1 << 1;
        QTest::newRow("500") << qint64(500) << 100 << 6;
    }
    void copiesTheRecordsUnderTheJobName() {
        QFETCH(qint64, lineCount);
        QFETCH(int, maximum);
        QFETCH(int, value);
        DumpRig r;
        r.module.LineCount = lineCount;
        r.window.readdump();
        QCOMPARE(shown(r.dialogs), QStringList());
        QCOMPARE(r.c.EdObs->text(), r.at(u"SURVEY01.sdr"_s));
        QCOMPARE(r.c.EdOut->text(), r.at(u"SURVEY01.dat"_s));
        QCOMPARE(readFile(r.c.EdObs->text()), kRaw);
        QVERIFY(!QFileInfo::exists(r.capturePath()));
        QCOMPARE(r.c.PB1->maximum(), maximum);
        QCOMPARE(r.c.PB1->value(), value);
        QVERIFY(!r.c.PB1->isVisibleTo(&r.window));
        QCOMPARE(r.window.panel(1), u"Ready"_s);
        QVERIFY(!r.port.isOpen());
    }

    void overwriteQuestionAndFileDialog_data() {
        QTest::addColumn<QString>("answers");     // Y or N to each question
        QTest::addColumn<QStringList>("chosen");  // in the file dialog; "": Cancel
        QTest::addColumn<QString>("obs");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QByteArray>("obsHolds");
        QTest::newRow("yes") << "Y" << QStringList() << "SURVEY01.sdr"
                             << "SURVEY01.dat" << kRaw;
        QTest::newRow("no, taken, no, new") << "NN" << QStringList{"site.dat", "survey"} << "survey"
                                            << "su.dat" << kRaw;
        QTest::newRow("cancel") << "N" << QStringList{""} << "SURVEY01.sdr"
                                << "SURVEY01.dat" << QByteArray("keep");
        QTest::newRow("the capture itself") << "NY" << QStringList{"$R55.tmp"} << "$R55.tmp"
                                            << "$R55.dat" << kCapture;
    }
    void overwriteQuestionAndFileDialog() {
        QFETCH(QString, answers);
        QFETCH(QStringList, chosen);
        QFETCH(QString, obs);
        QFETCH(QString, out);
        QFETCH(QByteArray, obsHolds);
        DumpRig r;
        QVERIFY(writeFile(r.at(u"SURVEY01.sdr"_s), "keep"));
        QVERIFY(writeFile(r.at(u"site.dat"_s), "keep"));
        for (const QChar a : answers)
            r.dialogs.answers.push_back(a == u'Y' ? platform::Answer::Yes : platform::Answer::No);
        for (const QString& name : chosen)
            r.dialogs.files.push_back(name.isEmpty() ? QString() : r.at(name));
        r.window.readdump();

        const bool fails = obsHolds == kCapture;  // creating it would destroy the capture
        QCOMPARE(shown(r.dialogs), QStringList(answers.size(), kExists) +
                                       (fails ? QStringList{kOther} : QStringList()));
        QCOMPARE(r.dialogs.dialogTitles,
                 QStringList(chosen.size(), u"Select name for the Raw data File ..."_s));
        QCOMPARE(r.dialogs.dialogFilters,
                 QStringList(chosen.size(), u"SDRfiles (*.sdr)|*.sdr|All Files(*.*)|*.*"_s));
        QCOMPARE(r.c.EdObs->text(), r.at(obs));
        QCOMPARE(r.c.EdOut->text(), r.at(out));
        QCOMPARE(readFile(r.at(obs)), obsHolds);
        if (obs != u"SURVEY01.sdr"_s)
            QCOMPARE(readFile(r.at(u"SURVEY01.sdr"_s)), QByteArray("keep"));
        QCOMPARE(readFile(r.at(u"site.dat"_s)), QByteArray("keep"));
        // Done or abandoned, the download is over: the capture goes, the port closes.
        QCOMPARE(QFileInfo::exists(r.capturePath()), fails);
        QCOMPARE(r.port.isOpen(), fails);
        if (!fails) QVERIFY(!r.c.PB1->isVisibleTo(&r.window));
        QCOMPARE(r.window.panel(1), u"Ready"_s);
    }

    void failuresKeepTheCapture_data() {
        QTest::addColumn<QByteArray>("capture");  // null: none
        QTest::addColumn<QString>("folder");      // of the raw data file, in drive C:
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("obs");  // afterwards, in drive C:; "/dev/full": a full disk
        QTest::newRow("no capture") << QByteArray() << "" << kNotFound << kEarlier;
        QTest::newRow("no folder") << kCapture << "gone/" << kNotFound << "gone/SURVEY01.sdr";
        QTest::newRow("no job record")
            << QByteArray("\00210NMSTX\r\nrecord\r\n\x03") << "" << kOther << kEarlier;
        QTest::newRow("job ../up") << QByteArray("10NM../up\r\n") << "" << kOther << kEarlier;
        QTest::newRow("job ..") << QByteArray("10NM..\r\n") << "" << kOther << kEarlier;
        QTest::newRow("disk full") << kCapture << "" << kOther << "/dev/full";
    }
    void failuresKeepTheCapture() {
        QFETCH(QByteArray, capture);
        QFETCH(QString, folder);
        QFETCH(QString, message);
        QFETCH(QString, obs);
        DumpRig r(capture);
        r.module.RunSettings.DefaultPath += folder;
        QStringList files;
        if (!capture.isNull()) files << u"$R55.tmp"_s;
        if (obs == u"/dev/full"_s) {  // no regular file, so no overwrite question either
            if (!QFileInfo::exists(obs)) QSKIP("no /dev/full");
            QVERIFY(QFile::link(obs, r.at(u"SURVEY01.sdr"_s)));
            files << (obs = u"SURVEY01.sdr"_s);
        }
        r.window.readdump();
        QCOMPARE(shown(r.dialogs), QStringList{message});
        QCOMPARE(r.window.panel(1), u"Ready"_s);
        QCOMPARE(r.c.EdObs->text(), obs == kEarlier ? obs : r.at(obs));
        if (!capture.isNull()) QCOMPARE(readFile(r.capturePath()), capture);
        // Nothing else written, in the folder or beside it.
        QCOMPARE(QDir(r.home()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
                 files);
        QVERIFY(!QFileInfo::exists(r.home() + u"/../up.sdr"_s));
    }
};

QTEST_MAIN(ReaddumpTest)
#include "readdump_test.moc"
