// SPDX-License-Identifier: GPL-3.0-or-later
// The main window and the about window on real modal dialogs: the start-up load, what they
// show, the small file commands, the modeless about window, and the end of the program.
#include <QPointer>
#include <QProcess>
#include <QSignalSpy>

#include "Rig.h"
#include "app/CommandLine.h"
#include "app/frmAbout.h"
#include "settings/Comset.h"
#include "settings/Remembered.h"

using namespace testing_support;

class AppTest : public QObject {
    Q_OBJECT
private slots:
    void startUpWhatTheWindowsShowTheirCommandsAndTheEnd() {
        platform::QtEditorLauncher launcher;
        Rig r(true, {}, &launcher);
        r.onQuit = platform::quitApplication;
        quorvel::RunSettings& rs = r.module.RunSettings;
        rs = {{3, 1200, quorvel::Parity::Even, 7, 2},
              quorvel::OutputFormat::Autocogo3,
              quorvel::Axes::XNorthYEast,
              {}};
        remembered::saveAxes(*r.preferences, quorvel::Axes::XEastYNorth);
        r.w.Form_Load();  // whatever was there; only the axes come from the last run
        QCOMPARE(lineOf(rs) + u' ' + pathOf(rs.DefaultPath),
                 u"COM1 38400 N 8 1 layout 1 axes xeast flow none pause 50 "_s + r.home());
        // Browse: the real file dialog, opening in the download folder or where the field's file
        // is (not where the program was started), and the output name follows at once.
        QVERIFY(writeFile(r.at(u"JOB9.tmp"_s), {}) && QDir().mkpath(r.at(u"jobs"_s)));
        ModalAnswerer answer;
        QStringList opened;
        for (const QString& field : {QString(), r.at(u"jobs/A.sdr"_s)}) {
            r.EdObs->setText(field);
            answer.handleNext([&](QWidget* modal) {
                auto* dialog = qobject_cast<QFileDialog*>(modal);
                if (dialog) opened << dialog->directory().path();
                chooseFile(modal, r.at(u"JOB9.tmp"_s));
                return dialog != nullptr;
            });
            r.click("CmdBrowse1");
        }
        QCOMPARE(opened, QStringList({r.home(), r.at(u"jobs"_s)}));
        QCOMPARE(r.EdObs->text() + u" > "_s + r.EdOut->text(),
                 r.at(u"JOB9.tmp > "_s) + r.at(u"JOB9.dat"_s));
        // Edit File: no name (Clear empties both fields), a folder that is gone, no editor
        // anywhere; then $VISUAL (a command line), and the desktop's default for text files.
        QHash<QByteArray, QByteArray> env;
        for (const char* name : {"PATH", "VISUAL", "EDITOR", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS",
                                 "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"}) {
            env[name] = qgetenv(name);
            qunsetenv(name);
        }
        qputenv("PATH", QFile::encodeName(r.at(u"empty"_s)));
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"})
            qputenv(name, QFile::encodeName(r.at(u"config"_s)));
        for (const char* name : {"XDG_DATA_HOME", "XDG_DATA_DIRS"})
            qputenv(name, QFile::encodeName(r.at(u"data"_s)));
        const QString editor = r.at(u"editor"_s), edited = r.at(u"edited"_s);
        QVERIFY(
            writeFile(editor, "#!/bin/sh\necho \"$@\" >>'" + QFile::encodeName(edited) + "'\n") &&
            QFile::setPermissions(editor, QFile::ReadOwner | QFile::ExeOwner) &&
            QDir().mkpath(r.at(u"config"_s)) && QDir().mkpath(r.at(u"data/applications"_s)));
        r.click("CmdClear");
        for (const QString& next : {r.at(u"gone/A1.dat"_s), r.at(u"A1.dat"_s), QString()}) {
            answer.pressButton(u"OK"_s);
            r.click("cmdEdit");
            r.EdOut->setText(next);
        }
        r.EdOut->setText(r.at(u"A1.dat"_s));
        qputenv("VISUAL", QFile::encodeName(editor) + " -w");
        r.click("cmdEdit");
        qunsetenv("VISUAL");
        QVERIFY(writeFile(r.at(u"config/mimeapps.list"_s),
                          "text/plain=other.desktop;\n"  // before any section: no default
                          "[Added Associations]\ntext/plain=other.desktop;\n"
                          "[Default Applications]\ntext/plain=gone.desktop;mine.desktop;\n") &&
                writeFile(r.at(u"data/applications/mine.desktop"_s),
                          "[Desktop Entry]\nType=Application\nExec=\"" + QFile::encodeName(editor) +
                              "\" --new %U\n") &&
                writeFile(r.at(u"data/applications/other.desktop"_s),  // associated, no default
                          "[Desktop Entry]\nExec=" + QFile::encodeName(editor) + " --other\n"));
        r.click("cmdEdit");
        // None of those: the first of the usual editors found on the PATH.
        QVERIFY(QFile::remove(r.at(u"config/mimeapps.list"_s)) && QDir().mkpath(r.at(u"empty"_s)) &&
                QFile::copy(editor, r.at(u"empty/mousepad"_s)));
        r.click("cmdEdit");
        QVERIFY(waitFor([&] { return readFile(edited).count('\n') == 3; }));
        QCOMPARE(readFile(edited), "-w " + QFile::encodeName(r.at(u"A1.dat"_s)) +
                                       "\n--new file://" + QFile::encodeName(r.at(u"A1.dat"_s)) +
                                       "\n" + QFile::encodeName(r.at(u"A1.dat"_s)) + "\n");
        for (auto it = env.cbegin(); it != env.cend(); ++it)
            it.value().isNull() ? qunsetenv(it.key()) : qputenv(it.key(), it.value());
        // Every text of both windows (EdObs empty after Clear), a tooltip after " | ".
        r.click("Command1");
        QPointer<frmAbout> about = r.w.findChild<frmAbout*>();
        QStringList texts{r.w.windowTitle(), r.panel(1), r.panel(2), about->windowTitle(),
                          child<QPushButton>(about, "Command1")->text()};
        for (const char* name :  // the about window is a child of the main one
             {"Label10",    "Label2",     "Label",    "Frame1",      "Label1",    "EdObs",
              "CmdBrowse1", "cmdReceive", "Frame2",   "Label3",      "CmdCon",    "cmdViewPoints",
              "cmdSend",    "CmdClear",   "cmdEdit",  "cmdSettings", "Command1",  "CmdExit",
              "lblTime",    "lblStat",    "lblTitle", "lblVersion",  "lblLicence"}) {
            const QWidget* c = child(&r.w, name);  // a group box has a title, the rest a text
            texts << c->property("title").toString() + c->property("text").toString().remove(u'&') +
                         (c->toolTip().isEmpty() ? QString() : u" | "_s + c->toolTip());
        }
        QCOMPARE(texts.join(u'\n'),
                 u"Quorvel\nReady\nCOM1 38400 8 1 N\nAbout\nO.K.\nQuorvel\n"
                 "Download and Format Data from 3300/3600(DR) Total Stations\n"
                 "Under evaluation! May have problems! Check all results!\nInput  \n"
                 "Observation File: \n | Main file containing the raw data\nBrowse\nReceive\n"
                 "Output File\nOutput Filename: \nConvert | Start to create the file\n"
                 "View Points | Look at the points of the observation file\n"
                 "Send Points | Send the points of the observation file to the instrument\n"
                 "Clear | Click to clear the fields\nEdit File\nSettings\nAbout\n"
                 "Exit | Terminate Program?\n0\n\nQuorvel \nVersion " QUORVEL_VERSION
                 "\nFree software under the GNU General Public License, version 3 or later"_s);
        // A screen reader names each field by its caption.
        QCOMPARE(child<QLabel>(&r.w, "Label1")->buddy(), r.EdObs);
        QCOMPARE(child<QLabel>(&r.w, "Label3")->buddy(), r.EdOut);
        // About is modeless: the main window works meanwhile, Exit asks, Cancel goes on.
        answer.pressButton(u"Cancel"_s);
        r.click("CmdExit");
        QVERIFY(r.quits == 0 && about->isVisible() && about->windowModality() == Qt::NonModal);
        QTest::mouseClick(child<QPushButton>(about, "Command1"), Qt::LeftButton);  // O.K. hides it
        QVERIFY(!about->isVisible());
        r.click("Command1");
        QVERIFY(r.w.findChild<frmAbout*>() == about && about->isVisible());
        // The real end: OK ends the event loop, and closing the windows asks no more.
        answer.pressButton(u"OK"_s);
        QTimer::singleShot(0, &r.w, [&r] { r.click("CmdExit"); });
        QTimer::singleShot(5000, [] { QCoreApplication::exit(99); });  // should it not end
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(answer.texts.join(u'|'),
                 u"No file name!|File Not Found or invalid path!\nPlease select again! |"
                 "Could not find a text editor on this computer!\nTried $VISUAL (not set), $EDITOR "
                 "(not set), the desktop's default for text files (none set), the usual text "
                 "editors (none installed).\nSet one in VISUAL (for example VISUAL=gedit in "
                 "~/.profile), or choose a default application for text files in the desktop's "
                 "settings.|Really want to quit?|Really want to quit?"_s);
        QVERIFY(answer.unexpected + answer.pending() == 0 && r.quits == 1);
    }

    // The command line: a file to open (as the desktop passes it), --help and --version
    // before the toolkit looks at a display, and no option the toolkit did not take.
    void commandLine() {
        using A = CommandLine::Action;
        const QString here = QDir::currentPath();
        const std::tuple<QStringList, bool, QString> rows[] = {
            {{}, true, u"run "_s},
            {{u"job.sdr"_s}, true, u"run "_s + here + u"/job.sdr"_s},
            {{u"/data/a b.obs"_s}, true, u"run /data/a b.obs"_s},
            {{u"a"_s, u"b"_s}, true, u"wrong quorvel: one file at a time, not 2\n"_s},
            {{u"--frob"_s, u"a"_s}, false, u"run "_s},  // perhaps the toolkit's own
            {{u"--frob"_s, u"a"_s}, true, u"wrong quorvel: Unknown option 'frob'.\n"_s},
            {{u"a"_s, u"--help"_s}, false, u"help Usage: quorvel [options] [FILE]\n"_s},
            {{u"-v"_s}, false, u"version quorvel " QUORVEL_VERSION "\n"_s}};
        for (const auto& [arguments, taken, expected] : rows) {
            const CommandLine line = parseCommandLine(QStringList{u"quorvel"_s} + arguments, taken);
            const char* actions[] = {"run", "help", "version", "wrong"};
            QCOMPARE(QLatin1String(actions[int(line.action)]) + u' ' + line.file +
                         line.text.section(u'\n', 0, 0) + (line.text.isEmpty() ? u""_s : u"\n"_s),
                     expected);
            QVERIFY(line.action != A::Wrong || line.text.endsWith(u"Try 'quorvel --help'.\n"_s));
        }
        // The program itself: its answer and exit status; the toolkit's options are its own.
        const std::tuple<QStringList, QString> runs[] = {
            {{u"--version"_s}, u"0 quorvel "_s},
            {{u"--help"_s}, u"0 Usage: "_s},
            {{u"-platform"_s, u"offscreen"_s, u"--frob"_s}, u"2 quorvel: Unknown option 'frob'"_s},
            {{u"a"_s, u"b"_s}, u"2 quorvel: one file at a time"_s}};
        for (const auto& [arguments, said] : runs) {
            QProcess program;
            program.start(QStringLiteral(QUORVEL_PROGRAM), arguments);
            QVERIFY(program.waitForFinished(10000));
            const QString out = program.readAllStandardOutput() + program.readAllStandardError();
            QVERIFY2(program.exitCode() == said.left(1).toInt() && out.contains(said.mid(2)),
                     qPrintable(arguments.join(u' ') + u": "_s + out));
        }
    }

    // Every window opens inside the screen's available area (ctest runs this once more on a
    // 1280 x 800 screen at 150 %), and no text widens the main window: a status is elided in
    // the middle, whole in its tooltip.
    void everyWindowOpensOnTheScreen() {
        const QString gone = u"/media/stick/"_s + u"a-long-folder-name/"_s.repeated(110);
        auto kept = std::make_shared<platform::MemoryPreferences>();
        kept->setValue(u"remember"_s, u"on"_s);
        kept->setValue(u"download/folder"_s, gone);
        Rig r(false, {}, nullptr, kept);
        QVERIFY(QTest::qWaitForWindowExposed(&r.w));
        const QRect screen = r.w.screen()->availableGeometry();
        QStringList outside;
        const auto check = [&](QWidget* window) {
            QVERIFY(window && window->isVisible());
            if (!screen.contains(window->frameGeometry()))
                outside << window->objectName() + u' ' +
                               QString::number(window->frameGeometry().width()) + u'x' +
                               QString::number(window->frameGeometry().height());
        };
        check(&r.w);
        auto* panel1 = child<QLabel>(&r.w, "Panel1");
        QVERIFY(panel1->text().size() > 2000 && panel1->toolTip() == panel1->text());
        const int width = r.w.width();
        r.setPanel(1, u"Waiting for ... "_s + gone);
        r.setPanel(3, u"6,320 bytes \u00b7 142 lines \u00b7 0:41 \u00b7 154 B/s \u00b7 "_s + gone);
        child<QLabel>(&r.w, "Panel3")->show();
        QTest::qWait(50);
        QCOMPARE(r.w.width(), width);
        QVERIFY(writeFile(r.at(u"A.sdr"_s),
                          "    R4    TR 101  X       21.259              59.620"
                          "              11.256\r\n"));
        r.w.setObservationName(r.at(u"A.sdr"_s));
        r.click("cmdViewPoints");
        r.click("Command1");
        r.click("cmdSettings");
        for (const char* name : {"frmPoints", "frmAbout", "Comset"})
            check(r.w.findChild<QWidget*>(QLatin1String(name)));
        QCOMPARE(outside.join(u", "_s), QString());
        r.w.findChild<QWidget*>(u"Comset"_s)->close();
    }

    // Each key reaches its button, also while the reception's button reads "Stop"; Escape
    // closes the settings and about windows.
    void keysReachTheirButtons() {
        Rig r;
        QVERIFY(QTest::qWaitForWindowActive(&r.w));
        const std::pair<QKeySequence, const char*> keys[] = {
            {Qt::ALT | Qt::Key_B, "CmdBrowse1"},
            {Qt::CTRL | Qt::Key_O, "CmdBrowse1"},
            {Qt::ALT | Qt::Key_R, "cmdReceive"},
            {Qt::ALT | Qt::Key_R, "cmdReceive"},
            {Qt::ALT | Qt::Key_C, "CmdCon"},
            {Qt::ALT | Qt::Key_V, "cmdViewPoints"},
            {Qt::ALT | Qt::Key_N, "cmdSend"},
            {Qt::ALT | Qt::Key_L, "CmdClear"},
            {Qt::ALT | Qt::Key_E, "cmdEdit"},
            {Qt::ALT | Qt::Key_A, "Command1"},
            {Qt::Key_F1, "Command1"},
            {Qt::ALT | Qt::Key_X, "CmdExit"},
            {Qt::ALT | Qt::Key_S, "cmdSettings"}};  // last: the settings window takes over
        QStringList pressed;
        for (const auto& [key, name] : keys) {
            QSignalSpy clicked(child<QPushButton>(&r.w, name), &QPushButton::clicked);
            r.w.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&r.w));
            QTest::keySequence(&r.w, key);
            if (clicked.isEmpty()) clicked.wait(1000);  // an Alt key clicks as if by hand
            pressed << key.toString() + u' ' + r.cmdReceive->accessibleName() + u' ' +
                           QString::number(clicked.count());
        }
        QCOMPARE(pressed.join(u", "_s),
                 u"Alt+B Receive 1, Ctrl+O Receive 1, Alt+R Stop 1, Alt+R Receive 1, "
                 "Alt+C Receive 1, Alt+V Receive 1, Alt+N Receive 1, Alt+L Receive 1, Alt+E "
                 "Receive 1, Alt+A Receive 1, "
                 "F1 Receive 1, Alt+X Receive 1, Alt+S Receive 1"_s);
        for (QWidget* window : {static_cast<QWidget*>(r.w.findChild<Comset*>()),
                                static_cast<QWidget*>(r.w.findChild<frmAbout*>())}) {
            QVERIFY(window->isVisible());  // opened by its key above
            window->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(window));
            QTest::keyClick(window, Qt::Key_Escape);
            QVERIFY2(!window->isVisible(), qPrintable(window->objectName()));
        }
    }
};

QTEST_MAIN(AppTest)
#include "app_test.moc"
