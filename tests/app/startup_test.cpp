// The main window as it starts: defaults, panels, captions and tips.
#include <QProgressBar>
#include <QStatusBar>
#include <QTimer>

#include "WindowRig.h"

using namespace testing_support;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void loadSetsDefaultsCaptionsAndPanels() {
        WindowRig r;
        QCOMPARE(r.w.panel(1), u"Ready"_s);
        QCOMPARE(r.w.panel(2), u"COM1 38400 8 1 N"_s);
        RunSettingsRecord& rs = r.module.RunSettings;
        rs = {u"COM3"_s, 1200, u"E"_s, 7, 2, 3, {}, false, quorvel::Axes::XNorthYEast};
        r.w.Form_Load();  // whatever was there, the load resets it
        QCOMPARE(lineOf(rs), u"COM1 38400 N 8 1 layout 1 axes xeast"_s);
        r.w.services().preferences->setValue(u"axes"_s, u"xnorth"_s);  // but for the axes
        r.w.Form_Load();
        QCOMPARE(lineOf(rs), u"COM1 38400 N 8 1 layout 1 axes xnorth"_s);
        QCOMPARE(rs.DefaultPath, r.home());  // drive C: without separator
        QVERIFY(rs.DownloadIdle);
        auto* timer = child<QTimer>(&r.w, "Timer1");
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 1000);

        QCOMPARE(r.w.windowTitle(), u"Quorvel"_s);
        QCOMPARE(
            captions(&r.w,
                     {"Label10", "Label2", "Label", "Label1", "Label3", "lblTime", "lblStat"}),
            QStringList({"Quorvel", "Download and Format Data from 3300/3600(DR) Total Stations",
                         "Under evaluation! May have problems! Check all results!",
                         "Observation File: ", "Output Filename: ", "0", ""}));
        QStringList tips;
        for (const char* b : {"CmdBrowse1", "cmdReceive", "CmdCon", "CmdClear", "cmdEdit",
                              "cmdSettings", "Command1", "CmdExit"}) {
            auto* button = child<QPushButton>(&r.w, b);
            tips << (button ? button->text() + u": "_s + button->toolTip() : u"<no %1>"_s.arg(b));
        }
        QCOMPARE(tips, QStringList({"Browse: ", "Receive: ", "Convert: Start to create the file",
                                    "Clear: Click to clear the fields", "Edit File: ", "Settings: ",
                                    "About: ", "Exit: Terminate Program?"}));
        for (const char* image : {"Image1", "Image2", "Image3"})
            QVERIFY(!child<QLabel>(&r.w, image)->pixmap().isNull());

        QVERIFY(r.EdObs->text().isEmpty() && r.EdOut->text().isEmpty());
        QCOMPARE(r.EdObs->toolTip(), u"Main file containing the raw data"_s);
        // A screen reader names each field by its caption.
        QCOMPARE(child<QLabel>(&r.w, "Label1")->buddy(), r.EdObs);
        QCOMPARE(child<QLabel>(&r.w, "Label3")->buddy(), r.EdOut);
        QVERIFY(child<QStatusBar>(&r.w, "SB1"));
        QVERIFY(!child<QProgressBar>(&r.w, "PB1")->isVisible());
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
