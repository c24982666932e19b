// SPDX-License-Identifier: GPL-3.0-or-later
// The Convert command in the real main window: once with the real message boxes
// answered like a user, then one case for each way it can end.

#include "Rig.h"

using namespace testing_support;
using platform::Answer;

namespace {

// The closing message of their conversion in layout %1, its lines joined by carriage returns.
const QString done =
    u"Conversion was Finshed Successfully!\rLines read:  13\rCoordinates Lines:  12\r"
    u"Output Format: Autocogo %1\rNot written:  1: 1 point without Z: 105"_s;

const QString replace = message(u"Problem"_s, platform::Icon::Critical, platform::Buttons::YesNo,
                                u"File Exists! Do you want to replace? "_s);

}  // namespace

class ConvertCommandTest : public QObject {
    Q_OBJECT
private slots:
    void convertsThroughTheRealWindowAndDialogs() {
        Rig r(true);
        QVERIFY(writeFile(r.at(u"JOB1.sdr"_s), observations()) &&
                writeFile(r.at(u"JOB1.dat"_s), "an older file"));
        QVERIFY(r.port.open());  // a download's port is not the command's to close
        r.module.RunSettings.OutputFormat = quorvel::OutputFormat::Autocogo2;
        QVERIFY(QTest::qWaitForWindowActive(&r.w));
        r.EdObs->setFocus();
        QTest::keyClicks(r.EdObs, r.at(u"JOB1.sdr"_s));
        QWidget other;  // taking the focus is no leaving of the field
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other) && r.EdOut->text().isEmpty());
        r.w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&r.w) && r.EdObs->hasFocus());
        QTest::keyClick(r.EdObs, Qt::Key_Tab);  // proposes JOB1.dat
        ModalAnswerer answerer;
        answerer.pressButton(u"Yes"_s);
        answerer.pressButton(u"OK"_s);
        r.click("CmdCon");  // returns when both boxes are answered
        QCOMPARE(answerer.titles + answerer.texts,
                 QStringList({"Problem", "Finito", "File Exists! Do you want to replace? ",
                              done.arg(2).replace(u'\r', u'\n')}));
        QCOMPARE(readFile(r.at(u"JOB1.dat"_s)).count("\r\n"), 11);  // all but 105
        QVERIFY(r.download->lineCount() == 13 && r.port.isOpen() && answerer.unexpected == 0);
    }

    void everyWayItEnds_data() {
        QTest::addColumn<QString>("observation");  // %1 is the folder of the files
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("answer");  // to the replace question, if asked: Y or N
        QTest::addColumn<QString>("last");    // message
        // clang-format off
        QTest::newRow("replaced") << "%1/a.sdr" << "%1/out.dat" << "Y"
            << message(u"Finito"_s, platform::Icon::None, platform::Buttons::Ok, done.arg(3));
        QTest::newRow("No keeps it") << "%1/a.sdr" << "%1/out.dat" << "N" << QString();
        QTest::newRow("no observation file") << "" << "" << "" << problem(u"Empty field of Observation File"_s);
        QTest::newRow("no output file") << "x.sdr" << "" << "" << problem(u"Empty field of Output File"_s);
        QTest::newRow("missing") << "%1/no/a.sdr" << "%1/out.dat" << "Y"
            << problem(u"File Not Found or invalid path!\rPlease select again! "_s);
        QTest::newRow("a folder") << "%1" << "%1/out.dat" << "Y"
            << problem(u"Could not read the Observation File %1\rIs a directory"_s);
        QTest::newRow("the same file") << "%1/a.sdr" << "%1/link.dat" << ""
            << problem(u"The Output File is the Observation File itself!\rPlease choose another Output File."_s);
        QTest::newRow("output not creatable") << "%1/a.sdr" << "%1/no/out.dat" << ""
            << problem(u"Could not write the Output File %1/no/out.dat\rNo such file or directory"_s);
        QTest::newRow("nothing to write") << "%1/out.dat" << "%1/a.dat" << ""
            << problem(u"Nothing was written to %1/a.dat!\rLines read:  1\rCoordinates Lines:  0\r"_s);
        // clang-format on
    }
    void everyWayItEnds() {
        QFETCH(QString, observation);
        QFETCH(QString, output);
        QFETCH(QString, answer);
        QFETCH(QString, last);
        Rig r;
        QVERIFY(QTest::qWaitForWindowActive(&r.w) && writeFile(r.at(u"a.sdr"_s), observations()) &&
                writeFile(r.at(u"out.dat"_s), "old") &&
                QFile::link(r.at(u"a.sdr"_s), r.at(u"link.dat"_s)));
        r.module.RunSettings.OutputFormat = quorvel::OutputFormat::Autocogo3;
        child<QPushButton>(&r.w, "CmdCon")->setFocus();  // as the click will, while EdObs is empty
        r.EdObs->setText(observation.replace(u"%1"_s, r.home()));
        r.EdOut->setText(output.replace(u"%1"_s, r.home()));
        r.dialogs.answers = {answer == u"N"_s ? Answer::No : Answer::Yes};
        r.click("CmdCon");
        QStringList shown = answer.isEmpty() ? QStringList() : QStringList{replace};
        if (!last.isEmpty()) shown << last.replace(u"%1"_s, r.home());
        QCOMPARE(r.dialogs.shown, shown);
        if (!answer.isEmpty()) QCOMPARE(r.dialogs.defaults.value(0), Answer::Yes);
        if (output.isEmpty()) QVERIFY((observation.isEmpty() ? r.EdObs : r.EdOut)->hasFocus());
        const QByteArray out = readFile(r.at(u"out.dat"_s));
        QVERIFY(last.startsWith(u"Finito"_s) ? out.count("\r\n") == 11 : out == "old");
        QCOMPARE(QDir(r.home()).entryList(QDir::Files | QDir::Hidden).join(u' '),
                 u"a.sdr link.dat out.dat"_s);
    }
};

QTEST_MAIN(ConvertCommandTest)
#include "convert_command_test.moc"
