// The main window as it starts: controls, captions, defaults and the two panels.
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include "Scripted.h"
#include "app/KCR1.h"

using namespace testing_support;

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void loadSetsDefaultsAndPanels() {
        Module1 module;
        module.RunSettings.BaudRate = 1200;  // whatever was there, the load resets it
        module.RunSettings.OutputFormat = 3;
        ScriptedDialogs dialogs;
        ScriptedSerialPort port;
        ScriptedLauncher editor;
        KCR1 w(module, {dialogs, port, editor, platform::resolveComPort, QStringLiteral("/home/ann")});

        QCOMPARE(w.panel(1), QStringLiteral("Ready"));
        QCOMPARE(w.panel(2), QStringLiteral("COM1 38400 8 1 N"));
        const RunSettingsRecord& rs = module.RunSettings;
        QCOMPARE(rs.PortName, QStringLiteral("COM1"));
        QCOMPARE(rs.BaudRate, 38400);
        QCOMPARE(rs.Parity, QStringLiteral("N"));
        QCOMPARE(int(rs.DataBits), 8);
        QCOMPARE(int(rs.StopBits), 1);
        QCOMPARE(int(rs.OutputFormat), 1);
        QCOMPARE(rs.DefaultPath, QStringLiteral("/home/ann"));  // drive C: without separator
        QVERIFY(rs.DownloadIdle);
        QVERIFY(!w.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
        QCOMPARE(w.findChild<QTimer*>(QStringLiteral("Timer1"))->interval(), 1000);
    }

    void controlsCarryTheirCaptionsAndTips() {
        Module1 module;
        ScriptedDialogs dialogs;
        ScriptedSerialPort port;
        ScriptedLauncher editor;
        KCR1 w(module, {dialogs, port, editor, platform::resolveComPort, QStringLiteral("/h")});
        QCOMPARE(w.windowTitle(), QStringLiteral("Quorvel"));

        auto label = [&](const char* name) {
            auto* l = w.findChild<QLabel*>(QLatin1String(name));
            return l ? l->text() : QStringLiteral("<missing>");
        };
        QCOMPARE(label("Label10"), QStringLiteral("Quorvel"));
        QCOMPARE(label("Label2"),
                 QStringLiteral("Download and Format Data from 3300/3600(DR) Total Stations"));
        QCOMPARE(label("Label"),
                 QStringLiteral("Under evaluation! May have problems! Check all results!"));
        QCOMPARE(label("Label1"), QStringLiteral("Observation File: "));
        QCOMPARE(label("Label3"), QStringLiteral("Output Filename: "));
        QCOMPARE(label("lblTime"), QStringLiteral("0"));
        QCOMPARE(label("lblStat"), QString());
        for (const char* image : {"Image1", "Image2", "Image3"})
            QVERIFY(!w.findChild<QLabel*>(QLatin1String(image))->pixmap().isNull());

        const struct {
            const char* name;
            const char* caption;
            const char* tip;
        } buttons[] = {{"CmdBrowse1", "Browse", ""},
                       {"cmdReceive", "Receive", ""},
                       {"CmdCon", "Convert", "Start to create the file"},
                       {"CmdClear", "Clear", "Click to clear the fields"},
                       {"cmdEdit", "Edit File", ""},
                       {"cmdSettings", "Settings", ""},
                       {"Command1", "About", ""},
                       {"CmdExit", "Exit", "Terminate Program?"}};
        for (const auto& b : buttons) {
            auto* button = w.findChild<QPushButton*>(QLatin1String(b.name));
            QVERIFY2(button, b.name);
            QCOMPARE(button->text(), QLatin1String(b.caption));
            QCOMPARE(button->toolTip(), QLatin1String(b.tip));
        }
        auto* obs = w.findChild<QLineEdit*>(QStringLiteral("EdObs"));
        auto* out = w.findChild<QLineEdit*>(QStringLiteral("EdOut"));
        QVERIFY(obs && out);
        QVERIFY(obs->text().isEmpty() && out->text().isEmpty());
        QCOMPARE(obs->toolTip(), QStringLiteral("Main file containing the raw data"));
        // A screen reader names each field by its caption.
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("Label1"))->buddy(), obs);
        QCOMPARE(w.findChild<QLabel*>(QStringLiteral("Label3"))->buddy(), out);
        QVERIFY(w.findChild<QStatusBar*>(QStringLiteral("SB1")));
        QVERIFY(!w.findChild<QProgressBar*>(QStringLiteral("PB1"))->isVisible());
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
