// SPDX-License-Identifier: GPL-3.0-or-later
// The points window as View Points opens it: the warnings and what their links show,
// the table and the plan choosing each other, the copy, the window shown again by a
// Convert that wrote its file, and the export of the plan.
#include "Rig.h"
#include "points/PlanView.h"

using namespace testing_support;

namespace {

// The window of JOB1.sdr, a job of `lines` lines, as View Points opens it.
QWidget* viewPoints(Rig<>& r, int lines = 13) {
    r.module.RunSettings.OutputFormat = quorvel::OutputFormat::Autocogo2;
    if (!writeFile(r.at(u"JOB1.sdr"_s), observations(lines))) return nullptr;
    r.w.setObservationName(r.at(u"JOB1.sdr"_s));
    r.click("cmdViewPoints");
    return r.w.findChild<QWidget*>(u"frmPoints"_s);
}

}  // namespace

class PointsWindowTest : public QObject {
    Q_OBJECT
private slots:
    // The title, the warnings above the table and a filter for each; a file without
    // coordinate lines says so and offers nothing to do. Escape closes the window.
    void warnings_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<QString>("shown");
        // clang-format off
        QTest::newRow("two positions, one not written") << 13 << "Points - JOB1.sdr|"
            "&#9888; Point numbers used at two or more positions: 1 (101) &nbsp;<a href=\"1\">show</a><br>"
            "&#9888; Not written:  1: 1 point without Z: 105 &nbsp;<a href=\"8\">show</a>"
            "|All lines|Problems only|Numbers at two positions|Lines not written";
        QTest::newRow("none") << 1 << "Points - JOB1.sdr|No warnings.|All lines|Problems only";
        QTest::newRow("no coordinate lines") << 0
            << "Points - JOB1.sdr|The file holds no coordinate lines.|All lines|Problems only";
        // clang-format on
    }
    void warnings() {
        QFETCH(int, lines);
        QFETCH(QString, shown);
        Rig r;
        QWidget* points = viewPoints(r, lines);
        QVERIFY(points && QTest::qWaitForWindowActive(points));
        auto* filter = child<QComboBox>(points, "cbFilter");
        QStringList texts{points->windowTitle(), child<QLabel>(points, "lblWarnings")->text()};
        for (int i = 0; i < filter->count(); ++i) texts << filter->itemText(i);
        QCOMPARE(texts.join(u'|'), shown);
        int usable = child(points, "tblPoints")->isVisibleTo(points);
        for (const char* name : {"cbFilter", "cmdCopy", "cmdFit", "cmdExport"})
            usable += child(points, name)->isEnabled();
        QCOMPARE(usable, lines ? 5 : 0);
        QTest::keyClick(points, Qt::Key_Escape);
        QVERIFY(!points->isVisible());
    }

    // What the user does, one step after another, and where it leaves the table, the
    // plan, the window and the choice to show it after a Convert (on when it starts).
    void choosing_data() {
        QTest::addColumn<QString>(
            "steps");  // link, filter, table ROW, plan LINE, heading, copy, ...
        QTest::addColumn<QString>(
            "state");  // rows shown, current line, row ringed, line first, ...
        QTest::addColumn<QString>("copied");
        // clang-format off
        QTest::newRow("a link shows its lines") << "link 1" << "2 0 -1 1 shown on" << "";
        QTest::newRow("a line chosen in the table is ringed") << "link 1;table 1" << "2 13 12 1 shown on" << "";
        QTest::newRow("a click in the plan chooses its line") << "plan 13;copy" << "13 13 12 1 shown on"
            << "13\t101\tTR\t99.259\t59.620\t11.256\twritten; number used at another position";
        QTest::newRow("of points on one spot, the first") << "plan 1" << "13 1 0 1 shown on" << "";
        QTest::newRow("a click on a hidden line shows all") << "filter 8;plan 1" << "13 1 0 1 shown on" << "";
        QTest::newRow("the filter stays, copy is all shown") << "filter 8;copy" << "1 0 -1 5 shown on"
            << "5\t105\tTR\t21.259\t59.620\t\tnot written: without Z";
        QTest::newRow("a heading sorts, again the other way") << "heading 1;heading 1" << "13 0 -1 12 shown on" << "";
        QTest::newRow("a Convert that wrote shows it") << "hide;convert JOB1.dat" << "13 0 -1 1 shown on" << "";
        QTest::newRow("a Convert that failed does not") << "hide;convert no/JOB1.dat" << "13 0 -1 1 hidden on" << "";
        QTest::newRow("nor one after the box is cleared") << "box;hide;convert JOB1.dat" << "13 0 -1 1 hidden off" << "";
        // clang-format on
    }
    void choosing() {
        QFETCH(QString, steps);
        QFETCH(QString, state);
        QFETCH(QString, copied);
        auto kept = std::make_shared<platform::MemoryPreferences>();
        kept->setValue(u"pointsAfterConvert"_s, u"on"_s);
        Rig r(false, {}, nullptr, kept);
        QWidget* points = viewPoints(r);
        QVERIFY(points && QTest::qWaitForWindowExposed(points));
        auto* table = child<QTableView>(points, "tblPoints");
        auto* plan = child<PlanView>(points, "picPlan");
        auto* filter = child<QComboBox>(points, "cbFilter");
        QHeaderView* heading = table->horizontalHeader();
        QApplication::clipboard()->clear();
        for (const QString& step : steps.split(u';')) {
            const QString arg = step.section(u' ', 1);
            if (step.startsWith(u"link"_s))
                emit child<QLabel>(points, "lblWarnings")->linkActivated(arg);
            if (step.startsWith(u"filter"_s))
                filter->setCurrentIndex(filter->findData(arg.toInt()));
            if (step.startsWith(u"table"_s)) table->selectRow(arg.toInt());
            if (step.startsWith(u"plan"_s)) {  // east (Y), minus north (X)
                plan->centerOn(59.620, arg == u"13"_s ? -99.259 : -21.259);
                QTest::mouseClick(plan->viewport(), Qt::LeftButton, {},
                                  plan->viewport()->rect().center());
            }
            if (step.startsWith(u"heading"_s))
                QTest::mouseClick(heading->viewport(), Qt::LeftButton, {},
                                  {heading->sectionViewportPosition(arg.toInt()) + 4, 4});
            if (step == u"copy"_s)
                QTest::mouseClick(child<QPushButton>(points, "cmdCopy"), Qt::LeftButton);
            if (step == u"box"_s) child<QCheckBox>(points, "chkShowAfter")->click();
            if (step == u"hide"_s) points->hide();
            if (step.startsWith(u"convert"_s)) {
                r.EdOut->setText(r.at(arg));
                r.click("CmdCon");
            }
        }
        const QModelIndex current = table->currentIndex().siblingAtColumn(0);
        QCOMPARE(u"%1 %2 %3 %4 %5 %6"_s.arg(table->model()->rowCount())
                     .arg(current.isValid() ? current.data().toInt() : 0)
                     .arg(plan->selectedRow())
                     .arg(table->model()->index(0, 0).data().toInt())
                     .arg(points->isVisible() ? u"shown"_s : u"hidden"_s)
                     .arg(kept->value(u"pointsAfterConvert"_s)),
                 state);
        if (!copied.isEmpty())  // without the file's padding
            QCOMPARE(QApplication::clipboard()->text(),
                     u"Line\tPoint\tCode\tX\tY\tZ\tStatus\n"_s + copied + u'\n');
    }

    // Export Plan: where the save dialog opens, what it asks and says, what the folder
    // holds then besides the observations (never written): a PNG's size, SVG, or text.
    void exports_data() {
        QTest::addColumn<bool>("view");      // the current view, not the whole job
        QTest::addColumn<QString>("typed");  // in the save dialog; empty: Cancel
        QTest::addColumn<bool>("svgType");   // chosen in the real save dialog
        QTest::addColumn<bool>("yes");       // to a question
        QTest::addColumn<QString>("files");  // %v: the view's shape
        QTest::addColumn<QString>("message");
        const QString ask =
            message(u"Problem"_s, platform::Icon::Critical, platform::Buttons::YesNo,
                    u"File Exists! Do you want to replace? "_s);
        // clang-format off
        QTest::newRow("the whole job") << false << "plan.png" << false << true << "old.png old, plan.png 1600x1200" << "";
        QTest::newRow("a bare name, the type chosen") << false << "plan" << true << true << "old.png old, plan.svg SVG" << "";
        QTest::newRow("the view in its shape") << true << "view.png" << false << true << "old.png old, view.png %v" << "";
        QTest::newRow("another extension: .png") << false << "a.txt" << false << true << "a.txt.png 1600x1200, old.png old" << "";
        QTest::newRow("SVG in capitals") << false << "PLAN.SVG" << false << true << "old.png old, PLAN.SVG SVG" << "";
        QTest::newRow("cancelled") << false << "" << false << true << "old.png old" << "";
        QTest::newRow("No keeps a file") << false << "old.png" << false << false << "old.png old" << ask;
        QTest::newRow("Yes replaces it") << true << "old.png" << false << true << "old.png %v" << ask;
        QTest::newRow("never over the observations") << false << "link.png" << false << true << "old.png old"
            << problem(u"The Plan would replace the Observation File itself!\rPlease choose another file."_s);
        QTest::newRow("a folder not there") << false << "no/plan.svg" << false << true << "old.png old"
            << problem(u"Could not write the Plan %1/no/plan.svg\rNo such file or directory"_s);
        // clang-format on
    }
    void exports() {
        QFETCH(bool, view);
        QFETCH(QString, typed);
        QFETCH(bool, svgType);
        QFETCH(bool, yes);
        QFETCH(QString, files);
        QFETCH(QString, message);
        Rig r(svgType);
        QWidget* points = viewPoints(r);
        QVERIFY(points && writeFile(r.at(u"old.png"_s), "old") &&
                QFile::link(r.at(u"JOB1.sdr"_s), r.at(u"link.png"_s)));
        r.dialogs.files = {typed.isEmpty() ? QString() : r.at(typed)};
        r.dialogs.answers = {yes ? platform::Answer::Yes : platform::Answer::No};
        ModalAnswerer real;
        real.handleNext([&](QWidget* m) {
            r.dialogs.saveProposals << qobject_cast<QFileDialog*>(m)->selectedFiles().value(0);
            m->findChild<QComboBox*>(u"fileTypeCombo"_s)->setCurrentIndex(1);
            return chooseFile(m, r.at(typed)), true;
        });
        child<QAction>(points, view ? "actExportView" : "actExportJob")->trigger();
        QCOMPARE(r.dialogs.saveProposals,
                 QStringList{r.at(view ? u"JOB1-view.png"_s : u"JOB1-plan.png"_s)});
        QCOMPARE(r.dialogs.shown.join(u'\n'), message.replace(u"%1"_s, r.home()));
        QCOMPARE(readFile(r.at(u"JOB1.sdr"_s)), observations(13));
        QStringList held;
        for (const QString& name : QDir(r.home()).entryList(QDir::Files | QDir::NoSymLinks)) {
            const QByteArray data = readFile(r.at(name));
            const QSize size = QImage::fromData(data).size();
            if (name != u"JOB1.sdr"_s)
                held << name + u' ' +
                            (data.startsWith("<?xml") ? u"SVG"_s
                             : size.isEmpty()         ? QString::fromUtf8(data)
                                              : u"%1x%2"_s.arg(size.width()).arg(size.height()));
        }
        const QSize seen = child<PlanView>(points, "picPlan")
                               ->viewport()
                               ->size()
                               .scaled(1600, 1600, Qt::KeepAspectRatio);
        QCOMPARE(held.join(u", "_s),
                 files.replace(u"%v"_s, u"%1x%2"_s.arg(seen.width()).arg(seen.height())));
    }
};

QTEST_MAIN(PointsWindowTest)
#include "points_window_test.moc"
