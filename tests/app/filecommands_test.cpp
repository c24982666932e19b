// The main window's small commands driven through its buttons and real focus
// changes: the output name, Browse, Clear, Edit File, Exit and the close control.
#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include "ModalAnswerer.h"
#include "WindowRig.h"

using namespace testing_support;

class FileCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void outputNameWhenLeavingTheObservationField() {
        // The rule is tested on the core; here the focus change and the way a name
        // beyond ASCII crosses from the field to the rule and back.
        WindowRig r;
        QVERIFY(QTest::qWaitForWindowActive(&r.w));
        r.EdOut->setText(QStringLiteral("typed by the user.txt"));
        r.EdObs->setFocus();
        QTest::mouseClick(r.EdOut, Qt::LeftButton);  // an empty field proposes nothing
        QVERIFY(r.EdOut->hasFocus());
        QCOMPARE(r.EdOut->text(), QStringLiteral("typed by the user.txt"));

        r.EdObs->setFocus();
        for (const QChar ch : QStringLiteral("/jobs/Łódź-Süd.sdr"))
            QTest::sendKeyEvent(QTest::Click, r.EdObs, Qt::Key_unknown, QString(ch), {});
        QCOMPARE(r.EdOut->text(), QStringLiteral("typed by the user.txt"));  // not while typing
        {
            // Another window taking the focus is no leaving of the field.
            QWidget other;
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            QCOMPARE(r.EdOut->text(), QStringLiteral("typed by the user.txt"));
        }
        r.w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&r.w));
        QVERIFY(r.EdObs->hasFocus());
        QTest::keyClick(r.EdObs, Qt::Key_Tab);
        QVERIFY(!r.EdObs->hasFocus());
        QCOMPARE(r.EdOut->text(), QStringLiteral("/jobs/Łódź-Süd.dat"));
    }

    void browseFillsTheFieldCancelIsSilentAndClearEmptiesBoth() {
        WindowRig r;
        QVERIFY(QTest::qWaitForWindowActive(&r.w));
        r.EdObs->setText(QStringLiteral("/jobs/old.sdr"));
        r.EdOut->setText(QStringLiteral("/jobs/old.dat"));
        r.dialogs.files = {QString(),
                           QStringLiteral("/data/field/JOB7.tmp")};  // Cancel, then a file
        r.click("CmdBrowse1");
        QCOMPARE(r.dialogs.dialogTitles, QStringList{QStringLiteral("Open the Raw data File ...")});
        QCOMPARE(r.dialogs.dialogFilters,
                 QStringList{QStringLiteral("DownLoad files (*.tmp)|*.tmp|All Files(*.*)|*.*")});
        QCOMPARE(r.EdObs->text(), QStringLiteral("/jobs/old.sdr"));

        r.click("CmdBrowse1");
        QCOMPARE(r.EdObs->text(), QStringLiteral("/data/field/JOB7.tmp"));
        QVERIFY(r.EdObs->hasFocus());
        QCOMPARE(r.EdOut->text(), QStringLiteral("/jobs/old.dat"));
        // Moving on, for example to Convert, proposes the output name.
        QTest::mouseClick(r.EdOut, Qt::LeftButton);
        QCOMPARE(r.EdOut->text(), QStringLiteral("/data/field/JOB7.dat"));
        QVERIFY(r.dialogs.messages.isEmpty());

        r.w.setPanel(1, QStringLiteral("Converting ..."));
        r.module.RunSettings.BaudRate = 1200;
        r.click("CmdClear");
        QCOMPARE(r.EdObs->text() + r.EdOut->text(), QString());
        QCOMPARE(r.w.panel(1), QStringLiteral("Converting ..."));
        QCOMPARE(r.module.RunSettings.BaudRate, 1200);
    }

    void browseWithTheRealFileDialog() {
        WindowRig r(true);
        const QString file = r.file(QStringLiteral("JOB9.tmp"));
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        QVERIFY(QTest::qWaitForWindowActive(&r.w));
        ModalAnswerer answer;
        QStringList seen;
        answer.handleNext([&](QWidget* modal) {
            auto* d = qobject_cast<QFileDialog*>(modal);
            if (d == nullptr) return false;
            seen << d->windowTitle() << d->nameFilters().value(0);
            QTimer::singleShot(0, d, &QDialog::reject);
            return true;
        });
        answer.handleNext([&](QWidget* modal) {
            chooseFile(modal, file);
            return qobject_cast<QFileDialog*>(modal) != nullptr;
        });
        r.click("CmdBrowse1");
        QCOMPARE(seen, QStringList({"Open the Raw data File ...", "DownLoad files (*.tmp)"}));
        QCOMPARE(r.EdObs->text(), QString());
        r.click("CmdBrowse1");
        QCOMPARE(r.EdObs->text(), file);
        QCOMPARE(answer.pending() + answer.unexpected, 0);
    }

    void editFileStartsTheEditorOrSaysWhy() {
        WindowRig r;
        QVERIFY(QTest::qWaitForWindowActive(&r.w));
        // No name: say so, put the cursor there, start nothing.
        r.click("cmdEdit");
        QCOMPARE(r.dialogs.messages.size(), 1);
        const ShownMessage& m = r.dialogs.messages[0];
        QCOMPARE(m.text, QStringLiteral("No file name!"));
        QCOMPARE(m.icon, platform::Icon::Critical);
        QCOMPARE(m.buttons, platform::Buttons::Ok);
        QCOMPARE(m.caption, QStringLiteral("Problem"));
        QVERIFY(r.EdOut->hasFocus());
        QVERIFY(r.editor.started.isEmpty());

        // The output file, blanks and shell characters included, is one argument.
        const QString odd = QStringLiteral("/jobs/site a; rm -rf ~ $(x)/A1.dat");
        r.EdOut->setText(odd);
        r.click("cmdEdit");
        QCOMPARE(r.editor.started, QStringList{odd});
        QCOMPARE(r.dialogs.messages.size(), 1);

        const QString notFound =
            QStringLiteral("File Not Found or invalid path!\rPlease select again! ");
        const QString noEditor =
            QStringLiteral("Could not found Notepad on this computer!\rPlease Contact Varnel HK! ");
        for (const auto& [result, text] :
             {std::pair{platform::LaunchResult::PathNotFound, notFound},
              std::pair{platform::LaunchResult::FileNotFound, notFound},
              std::pair{platform::LaunchResult::Failed, noEditor}}) {
            r.dialogs.messages.clear();
            r.editor.result = result;
            r.click("cmdEdit");
            QCOMPARE(r.dialogs.messages.size(), 1);
            QCOMPARE(r.dialogs.messages[0].text, text);
            QCOMPARE(r.dialogs.messages[0].icon, platform::Icon::Critical);
            QCOMPARE(r.dialogs.messages[0].caption, QStringLiteral("Problem"));
            QCOMPARE(r.EdOut->text(), odd);
        }
    }

    void editFileWithTheRealLauncherAndMessageBox() {
        // No editor anywhere on the PATH, and a folder that does not exist.
        platform::QtEditorLauncher launcher;
        WindowRig r(true, &launcher);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(r.file(QStringLiteral("empty"))));
        ModalAnswerer answer;
        for (int i = 0; i < 3; ++i) answer.pressButton(QStringLiteral("OK"));
        r.click("cmdEdit");
        r.EdOut->setText(r.file(QStringLiteral("no-such-folder/A1.dat")));
        r.click("cmdEdit");
        r.EdOut->setText(r.file(QStringLiteral("A1.dat")));
        r.click("cmdEdit");
        qputenv("PATH", path);
        QCOMPARE(answer.titles, QStringList(3, QStringLiteral("Problem")));
        QCOMPARE(
            answer.texts,
            QStringList({"No file name!", "File Not Found or invalid path!\nPlease select again! ",
                         "Could not found Notepad on this computer!\nPlease Contact Varnel HK! "}));
        QCOMPARE(answer.unexpected, 0);
    }

    void exitAsksAndOnlyOkEndsTheProgram() {
        WindowRig r;
        auto* timer = child<QTimer>(&r.w, "Timer1");
        // A reception is waiting: port open, count-down running.
        QVERIFY(r.port.open());
        timer->start();
        r.dialogs.answers = {platform::Answer::Cancel, platform::Answer::Cancel};
        r.click("CmdExit");
        QVERIFY(!r.w.close());  // the close control asks the same
        QCOMPARE(r.dialogs.messages.size(), 2);
        for (const ShownMessage& m : r.dialogs.messages) {
            QCOMPARE(m.text, QStringLiteral("Really want to quit?"));
            QCOMPARE(m.icon, platform::Icon::Question);
            QCOMPARE(m.buttons, platform::Buttons::OkCancel);
            QCOMPARE(m.caption, QStringLiteral("Quit?"));
        }
        QCOMPARE(r.quits, 0);
        QVERIFY(r.port.isOpen() && timer->isActive() && r.w.isVisible());

        r.dialogs.answers = {platform::Answer::Ok};
        r.click("CmdExit");
        QCOMPARE(r.quits, 1);
        QVERIFY(!r.port.isOpen() && !timer->isActive());
        // Ending the program closes the window: no second question, no second end.
        QVERIFY(r.w.close());
        QCOMPARE(r.dialogs.messages.size(), 3);
        QCOMPARE(r.quits, 1);

        WindowRig closing;
        QVERIFY(closing.port.open());
        closing.dialogs.answers = {platform::Answer::Ok};
        QVERIFY(closing.w.close());
        QCOMPARE(closing.quits, 1);
        QVERIFY(!closing.port.isOpen());
    }

    void exitEndsTheRunningProgramAfterOneQuestion() {
        // The real end of the program: the event loop runs, OK ends it, and the
        // windows it closes on the way ask nothing more.
        platform::QtDialogs real;
        Module1 module;
        ScriptedSerialPort port;
        ScriptedLauncher editor;
        KCR1 w(module, {real, port, editor, platform::resolveComPort, QStringLiteral("/home/ann")});
        real.setParent(&w);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        child<QPushButton>(&w, "Command1")->click();  // About open too
        ModalAnswerer answer;
        answer.pressButton(QStringLiteral("OK"));
        QTimer::singleShot(0, &w, [&w] { child<QPushButton>(&w, "CmdExit")->click(); });
        QTimer::singleShot(5000,
                           [] { QCoreApplication::exit(99); });  // a program that would not end
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(answer.titles, QStringList{QStringLiteral("Quit?")});
        QCOMPARE(answer.texts, QStringList{QStringLiteral("Really want to quit?")});
        QCOMPARE(answer.unexpected, 0);
    }
};

QTEST_MAIN(FileCommandsTest)
#include "filecommands_test.moc"
