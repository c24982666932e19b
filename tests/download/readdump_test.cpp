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
    "\r\n"  // an empty line is left out, the copy goes on
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
        if (!capture.isNull()) writeFile(capturePath(), capture);
        c.EdObs->setText(QStringLiteral("earlier.sdr"));
        window.setPanel(1, QStringLiteral("Converting ..."));
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
        QTest::addColumn<int>("value");  // six lines read, the bar stops at its end
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
        QVERIFY(r.dialogs.messages.isEmpty());
        QCOMPARE(r.c.EdObs->text(), r.at(QStringLiteral("SURVEY01.sdr")));
        QCOMPARE(r.c.EdOut->text(), r.at(QStringLiteral("SURVEY01.dat")));
        QCOMPARE(readFile(r.c.EdObs->text()), kRaw);
        QVERIFY(!QFileInfo::exists(r.capturePath()));
        QCOMPARE(r.c.PB1->maximum(), maximum);
        QCOMPARE(r.c.PB1->value(), value);
        QVERIFY(!r.c.PB1->isVisibleTo(&r.window));
        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
        QVERIFY(!r.port.isOpen());
    }

    void overwriteQuestionAndFileDialog_data() {
        QTest::addColumn<QString>("answers");     // Y or N for each question
        QTest::addColumn<QStringList>("chosen");  // in the file dialog; "": Cancel
        QTest::addColumn<QString>("obs");
        QTest::addColumn<QString>("out");  // "": not checked
        QTest::addColumn<QByteArray>("obsHolds");
        QTest::addColumn<bool>("fails");  // the third path
        QTest::newRow("yes") << "Y" << QStringList() << "SURVEY01.sdr"
                             << "SURVEY01.dat" << kRaw << false;
        QTest::newRow("no, taken, no, new") << "NN" << QStringList{"site.dat", "survey"} << "survey"
                                            << "su.dat" << kRaw << false;
        QTest::newRow("cancel") << "N" << QStringList{""} << "SURVEY01.sdr"
                                << "SURVEY01.dat" << QByteArray("keep") << false;
        QTest::newRow("the capture itself") << "NY" << QStringList{"$R55.tmp"} << "$R55.tmp"
                                            << "" << kCapture << true;
    }
    void overwriteQuestionAndFileDialog() {
        QFETCH(QString, answers);
        QFETCH(QStringList, chosen);
        QFETCH(QString, obs);
        QFETCH(QString, out);
        QFETCH(QByteArray, obsHolds);
        QFETCH(bool, fails);
        DumpRig r;
        QVERIFY(writeFile(r.at(QStringLiteral("SURVEY01.sdr")), "keep"));
        QVERIFY(writeFile(r.at(QStringLiteral("site.dat")), "keep"));
        for (const QChar a : answers)
            r.dialogs.answers.push_back(a == 'Y' ? Answer::Yes : Answer::No);
        for (const QString& name : chosen)
            r.dialogs.files.push_back(name.isEmpty() ? QString() : r.at(name));
        r.window.readdump();

        QCOMPARE(r.dialogs.messages.size(), answers.size() + (fails ? 1 : 0));
        for (const auto& m : r.dialogs.messages.mid(0, answers.size())) {
            QCOMPARE(m.text, QStringLiteral("File Exists! Do you want to overwrite? "));
            QCOMPARE(m.caption, QStringLiteral("Problem"));
            QCOMPARE(m.icon, platform::Icon::Critical);
            QCOMPARE(m.buttons, platform::Buttons::YesNo);
        }
        if (fails) QCOMPARE(r.dialogs.messages.last().text, kOther);
        QCOMPARE(
            r.dialogs.dialogTitles,
            QStringList(chosen.size(), QStringLiteral("Select name for the Raw data File ...")));
        for (const QString& filter : r.dialogs.dialogFilters)
            QCOMPARE(filter, QStringLiteral("SDRfiles (*.sdr)|*.sdr|All Files(*.*)|*.*"));
        QCOMPARE(r.c.EdObs->text(), r.at(obs));
        if (!out.isEmpty()) QCOMPARE(r.c.EdOut->text(), r.at(out));
        QCOMPARE(readFile(r.at(obs)), obsHolds);
        if (obs != QLatin1String("SURVEY01.sdr"))
            QCOMPARE(readFile(r.at(QStringLiteral("SURVEY01.sdr"))), QByteArray("keep"));
        QCOMPARE(readFile(r.at(QStringLiteral("site.dat"))), QByteArray("keep"));
        // Done or abandoned, the download is over: the capture goes, the port closes.
        QCOMPARE(QFileInfo::exists(r.capturePath()), fails);
        QCOMPARE(r.port.isOpen(), fails);
        if (!fails) QVERIFY(!r.c.PB1->isVisibleTo(&r.window));
        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
    }

    void failuresKeepTheCapture_data() {
        QTest::addColumn<QByteArray>("capture");  // null: none
        QTest::addColumn<QString>("folder");      // of the raw data file, in drive C:
        QTest::addColumn<bool>("diskFull");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("obs");  // EdObs afterwards, in drive C:
        QTest::newRow("no capture") << QByteArray() << "" << false << kNotFound << "earlier.sdr";
        QTest::newRow("no folder")
            << kCapture << "gone/" << false << kNotFound << "gone/SURVEY01.sdr";
        QTest::newRow("no job record") << QByteArray(
                                              "\x02"
                                              "10NMSTX\r\nrecord\r\n\x03")
                                       << "" << false << kOther << "earlier.sdr";
        QTest::newRow("job ../up")
            << QByteArray("10NM../up\r\n") << "" << false << kOther << "earlier.sdr";
        QTest::newRow("job ..") << QByteArray("10NM..\r\n") << "" << false << kOther
                                << "earlier.sdr";
        QTest::newRow("disk full") << kCapture << "" << true << kOther << "SURVEY01.sdr";
    }
    void failuresKeepTheCapture() {
        QFETCH(QByteArray, capture);
        QFETCH(QString, folder);
        QFETCH(bool, diskFull);
        QFETCH(QString, message);
        QFETCH(QString, obs);
        DumpRig r(capture);
        r.module.RunSettings.DefaultPath += folder;
        QStringList files;
        if (!capture.isNull()) files << QStringLiteral("$R55.tmp");
        if (diskFull) {  // no regular file, so no overwrite question either
            if (!QFileInfo::exists(QStringLiteral("/dev/full"))) QSKIP("no /dev/full");
            QVERIFY(QFile::link(QStringLiteral("/dev/full"), r.at(QStringLiteral("SURVEY01.sdr"))));
            files << QStringLiteral("SURVEY01.sdr");
        }
        r.window.readdump();
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.dialogs.messages[0].text, message);
        QCOMPARE(r.dialogs.messages[0].caption, QStringLiteral("Problem"));
        QCOMPARE(r.window.panel(1), QStringLiteral("Ready"));
        QCOMPARE(r.c.EdObs->text(), obs == QLatin1String("earlier.sdr") ? obs : r.at(obs));
        if (!capture.isNull()) QCOMPARE(readFile(r.capturePath()), capture);
        // Nothing else written, in the folder or beside it.
        QCOMPARE(QDir(r.home()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name),
                 files);
        QVERIFY(!QFileInfo::exists(r.home() + QStringLiteral("/../up.sdr")));
    }
};

QTEST_MAIN(ReaddumpTest)
#include "readdump_test.moc"
