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
        const RunSettingsRecord& rs = r.module.RunSettings;
        QCOMPARE(r.w.panel(1), QStringLiteral("Ready"));
        QCOMPARE(r.w.panel(2), QStringLiteral("COM1 38400 8 1 N"));
        r.module.RunSettings = {
            QStringLiteral("COM3"), 1200, QStringLiteral("E"), 7, 2, 3, {}, false};
        r.w.Form_Load();  // whatever was there, the load resets it
        QCOMPARE(QStringList({rs.PortName, QString::number(rs.BaudRate), rs.Parity,
                              QString::number(rs.DataBits), QString::number(rs.StopBits),
                              QString::number(rs.OutputFormat)}),
                 QStringList({"COM1", "38400", "N", "8", "1", "1"}));
        QCOMPARE(rs.DefaultPath, r.home());  // drive C: without separator
        QVERIFY(rs.DownloadIdle);
        auto* timer = child<QTimer>(&r.w, "Timer1");
        QVERIFY(!timer->isActive());
        QCOMPARE(timer->interval(), 1000);

        QCOMPARE(r.w.windowTitle(), QStringLiteral("Quorvel"));
        QCOMPARE(
            captions(&r.w,
                     {"Label10", "Label2", "Label", "Label1", "Label3", "lblTime", "lblStat"}),
            QStringList({"Quorvel", "Download and Format Data from 3300/3600(DR) Total Stations",
                         "Under evaluation! May have problems! Check all results!",
                         "Observation File: ", "Output Filename: ", "0", ""}));
        const std::initializer_list<const char*> buttons = {
            "CmdBrowse1", "cmdReceive",  "CmdCon",   "CmdClear",
            "cmdEdit",    "cmdSettings", "Command1", "CmdExit"};
        QCOMPARE(captions(&r.w, buttons), QStringList({"Browse", "Receive", "Convert", "Clear",
                                                       "Edit File", "Settings", "About", "Exit"}));
        QStringList tips;
        for (const char* b : buttons) tips << child<QPushButton>(&r.w, b)->toolTip();
        QCOMPARE(tips, QStringList({"", "", "Start to create the file", "Click to clear the fields",
                                    "", "", "", "Terminate Program?"}));
        for (const char* image : {"Image1", "Image2", "Image3"})
            QVERIFY(!child<QLabel>(&r.w, image)->pixmap().isNull());

        QVERIFY(r.EdObs->text().isEmpty() && r.EdOut->text().isEmpty());
        QCOMPARE(r.EdObs->toolTip(), QStringLiteral("Main file containing the raw data"));
        // A screen reader names each field by its caption.
        QCOMPARE(child<QLabel>(&r.w, "Label1")->buddy(), r.EdObs);
        QCOMPARE(child<QLabel>(&r.w, "Label3")->buddy(), r.EdOut);
        QVERIFY(child<QStatusBar>(&r.w, "SB1"));
        QVERIFY(!child<QProgressBar>(&r.w, "PB1")->isVisible());
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
