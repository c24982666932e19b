// SPDX-License-Identifier: GPL-3.0-or-later
// The Convert command in the real main window: once with the real message boxes
// answered like a user, then one case for each way it can end.

#include "Rig.h"
#include "points/PlanView.h"

using namespace testing_support;
using platform::Answer;

namespace {

// Twelve R4 coordinate records, the fifth without an elevation.
QByteArray observations() {
    QByteArray text;
    for (int i = 1; i <= 12; ++i)
        text += QString::asprintf(
                    "    R4    TR %3d  %c       21.259              59.620              %6s\r\n",
                    100 + i, i % 2 ? 'X' : 'y', i == 5 ? "" : "11.256")
                    .toLatin1();
    return text + "END";
}

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

    // View Points with the real save dialogs: rows, warnings and their links, the table
    // and the plan selecting each other, the copy, both exports; then Convert opens it.
    void pointsWindow() {
        Rig r(true);
        QByteArray text = observations();  // and 101 again, 78 m off
        text.insert(text.size() - 3,
                    "    R4    TR 101  X       99.259              59.620    "
                    "          11.256\r\n");
        QVERIFY(writeFile(r.at(u"JOB1.sdr"_s), text));
        r.module.RunSettings.OutputFormat = quorvel::OutputFormat::Autocogo2;
        r.w.setObservationName(r.at(u"JOB1.sdr"_s));
        r.click("cmdViewPoints");
        auto* points = r.w.findChild<QWidget*>(u"frmPoints"_s);
        QVERIFY(points && points->isVisible());
        auto* table = child<QTableView>(points, "tblPoints");
        auto* label = child<QLabel>(points, "lblWarnings");
        auto* plan = child<PlanView>(points, "picPlan");
        QCOMPARE(table->model()->rowCount(), 13);
        QVERIFY(label->text().contains(u"positions: 1 (101)"_s) &&
                label->text().contains(u"Not written:  1: 1 point without Z: 105"_s));
        emit label->linkActivated(u"1"_s);  // "show" the number at two positions
        QCOMPARE(table->model()->rowCount(), 2);
        table->selectRow(1);
        QCOMPARE(plan->selectedRow(), 12);
        plan->centerOn(59.620, -99.259);  // east (Y), minus north (X): the second 101
        QTest::mouseClick(plan->viewport(), Qt::LeftButton, {}, plan->viewport()->rect().center());
        QCOMPARE(table->currentIndex().siblingAtColumn(3).data().toString(), u"99.259"_s);
        QTest::mouseClick(child<QPushButton>(points, "cmdCopy"), Qt::LeftButton);
        QCOMPARE(QApplication::clipboard()->text(),  // without the file's padding
                 u"Line\tPoint\tCode\tX\tY\tZ\tStatus\n13\t101\tTR\t99.259\t59.620\t11.256\t"
                 "written; number used at another position\n"_s);
        QCOMPARE(table->currentIndex().siblingAtColumn(6).data(Qt::ToolTipRole).toString(),
                 u"written; number used at another position"_s);
        auto* filter = child<QComboBox>(points, "cbFilter");
        filter->setCurrentIndex(filter->findData(8));  // lines not written: the choice stays
        QCOMPARE(table->model()->rowCount(), 1);
        // Export: the whole job, as typed or by the file type chosen; the view in its shape.
        ModalAnswerer answerer;
        const std::tuple<const char*, const char*, const char*> exports[] = {
            {"actExportJob", "plan.png", ""},
            {"actExportJob", "plan", "SVG drawing (*.svg)"},
            {"actExportView", "view.png", ""}};
        for (const auto& [action, name, type] : exports) {
            answerer.handleNext([&](QWidget* m) {
                auto* d = qobject_cast<QFileDialog*>(m);
                auto* types = d ? d->findChild<QComboBox*>(u"fileTypeCombo"_s) : nullptr;
                if (types && *type) types->setCurrentIndex(types->findText(QLatin1String(type)));
                return chooseFile(m, r.at(name)), d != nullptr;
            });
            child<QAction>(points, action)->trigger();
        }
        QCOMPARE(QImage(r.at(u"plan.png"_s)).size(), QSize(1600, 1200));
        const QSize view = plan->viewport()->size().scaled(1600, 1600, Qt::KeepAspectRatio);
        QCOMPARE(QImage(r.at(u"view.png"_s)).size(), view);
        // Numbers on one spot hide each other: the plan says how many are shown.
        const QByteArray svg = readFile(r.at(u"plan.svg"_s));
        QVERIFY(svg.startsWith("<?xml") && svg.contains(">101<") && svg.contains(">N<") &&
                svg.contains(" of 13 labels shown: zoom in<"));
        QTest::mouseClick(child<QPushButton>(points, "cmdFit"), Qt::LeftButton);
        plan->viewport()->repaint();
        QVERIFY(plan->labels().inView == 13 && plan->labels().shown < 13);
        // Every code its own colour and symbol, and all of the legend listed, past a dozen.
        QSet<QPair<QRgb, int>> markers;
        for (int i = 0; i < 500; ++i)
            markers.insert({plan::codeMarker(i).colour.rgb(), int(plan::codeMarker(i).symbol)});
        quorvel::PointList many;
        for (int i = 0; i < 40; ++i) {
            quorvel::PointRow& row = many.rows.emplace_back();
            row.code = "C" + std::to_string(i);
            row.placed = true;
            row.east = i;
        }
        QVERIFY(
            plan::writeSvg(plan::Plan::from(many, {}), r.at(u"many.svg"_s), {800, 600}, nullptr));
        const QByteArray legend = readFile(r.at(u"many.svg"_s));
        QVERIFY(markers.size() == 500 && legend.contains(">C0<") && legend.contains(">C39<"));
        // Ticked, a successful Convert shows the window again.
        child<QCheckBox>(points, "chkShowAfter")->setChecked(true);
        points->hide();
        r.EdOut->setText(r.at(u"JOB1.dat"_s));
        answerer.pressButton(u"OK"_s);
        r.click("CmdCon");
        QVERIFY(points->isVisible() && answerer.unexpected == 0);
        QCOMPARE(r.preferences->value(u"pointsAfterConvert"_s), u"on"_s);
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
