// The main window's small commands driven through its buttons and real focus
// changes: the output name, Browse, Clear, Edit File, Exit and the close control.
#include <QApplication>
#include <QFileDialog>
#include <QTimer>

#include "ModalAnswerer.h"
#include "WindowRig.h"

using namespace testing_support;
using platform::Answer;

class FileCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void outputNameWhenLeavingTheObservationField() {
        // The rule is tested on the core; here the focus change, and a name beyond
        // ASCII crossing from the field to the rule and back.
        WindowRig r;
        QVERIFY(QTest::qWaitForWindowActive(&r.w));
        const QString typed = u"typed by the user.txt"_s;
        r.EdOut->setText(typed);
        r.EdObs->setFocus();
        QTest::mouseClick(r.EdOut, Qt::LeftButton);  // an empty field proposes nothing
        QVERIFY(r.EdOut->hasFocus());
        QCOMPARE(r.EdOut->text(), typed);

        r.EdObs->setFocus();
        for (const QChar ch : u"/jobs/Łódź-Süd.sdr"_s)
            QTest::sendKeyEvent(QTest::Click, r.EdObs, Qt::Key_unknown, QString(ch), {});
        QCOMPARE(r.EdOut->text(), typed);  // not while typing
        {
            // Another window taking the focus is no leaving of the field.
            QWidget other;
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            QCOMPARE(r.EdOut->text(), typed);
        }
        r.w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&r.w) && r.EdObs->hasFocus());
        QTest::keyClick(r.EdObs, Qt::Key_Tab);
        QVERIFY(!r.EdObs->hasFocus());
        QCOMPARE(r.EdOut->text(), u"/jobs/Łódź-Süd.dat"_s);
    }

    void browseFillsTheFieldCancelIsSilentAndClearEmptiesBoth() {
        WindowRig r;
        QVERIFY(QTest::qWaitForWindowActive(&r.w));
        r.EdObs->setText(u"/jobs/old.sdr"_s);
        r.EdOut->setText(u"/jobs/old.dat"_s);
        r.dialogs.files = {QString(), u"/data/field/JOB7.tmp"_s};  // Cancel, then a file
        r.click("CmdBrowse1");
        QCOMPARE(r.dialogs.dialogTitles, QStringList{u"Open the Raw data File ..."_s});
        QCOMPARE(r.dialogs.dialogFilters,
                 QStringList{u"Observation files (*.sdr *.obs *.raw *.txt *.SDR *.OBS *.RAW *.TXT)|"
                             "*.sdr;*.obs;*.raw;*.txt;*.SDR;*.OBS;*.RAW;*.TXT|"
                             "DownLoad files (*.tmp)|*.tmp|All Files(*.*)|*.*"_s});
        QCOMPARE(r.EdObs->text() + r.EdOut->text(), u"/jobs/old.sdr/jobs/old.dat"_s);
        r.click("CmdBrowse1");  // the output name follows at once, never an older job's
        QCOMPARE(r.EdObs->text() + u" > "_s + r.EdOut->text(),
                 u"/data/field/JOB7.tmp > /data/field/JOB7.dat"_s);
        QVERIFY(r.EdObs->hasFocus());

        r.click("CmdClear");
        QCOMPARE(r.EdObs->text() + r.EdOut->text(), QString());
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void browseWithTheRealFileDialog() {
        WindowRig r(true);
        const QString file = r.file(u"JOB9.tmp"_s);
        QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        ModalAnswerer answer;
        QStringList seen;
        answer.handleNext([&](QWidget* modal) {
            auto* d = qobject_cast<QFileDialog*>(modal);
            if (d) seen << d->windowTitle() << d->nameFilters().value(0);
            if (d) QTimer::singleShot(0, d, &QDialog::reject);
            return d != nullptr;
        });
        answer.handleNext([&](QWidget* modal) {
            chooseFile(modal, file);
            return qobject_cast<QFileDialog*>(modal) != nullptr;
        });
        r.click("CmdBrowse1");
        QCOMPARE(seen, QStringList({"Open the Raw data File ...",
                                    "Observation files (*.sdr *.obs *.raw *.txt *.SDR *.OBS *.RAW "
                                    "*.TXT)"}));
        QCOMPARE(r.EdObs->text(), QString());
        r.click("CmdBrowse1");
        QCOMPARE(r.EdObs->text(), file);
        QCOMPARE(answer.pending() + answer.unexpected, 0);
    }

    void editFileStartsTheEditorOrSaysWhy() {
        WindowRig r;
        QVERIFY(QTest::qWaitForWindowActive(&r.w));
        r.click("cmdEdit");  // no name: say so, put the cursor there, start nothing
        QCOMPARE(r.shown(), QStringList{problem(u"No file name!"_s)});
        QVERIFY(r.EdOut->hasFocus() && r.editor.started.isEmpty());

        // The output file, blanks and shell characters included, is one argument.
        const QString odd = u"/jobs/site a; rm -rf ~ $(x)/A1.dat"_s;
        r.EdOut->setText(odd);
        r.click("cmdEdit");
        QCOMPARE(r.editor.started, QStringList{odd});
        QCOMPARE(r.dialogs.messages.size(), 1);

        const QString notFound = u"File Not Found or invalid path!\rPlease select again! "_s;
        const QString noEditor =
            u"Could not found Notepad on this computer!\rPlease Contact Varnel HK! "_s;
        for (const auto& [result, text] :
             {std::pair{platform::LaunchResult::PathNotFound, notFound},
              {platform::LaunchResult::FileNotFound, notFound},
              {platform::LaunchResult::Failed, noEditor}}) {
            r.dialogs.messages.clear();
            r.editor.result = result;
            r.click("cmdEdit");
            QCOMPARE(r.shown(), QStringList{problem(text)});
            QCOMPARE(r.EdOut->text(), odd);
        }
    }

    void editFileWithTheRealLauncherAndMessageBox() {
        // No editor anywhere on the PATH, and a folder that does not exist.
        platform::QtEditorLauncher launcher;
        WindowRig r(true, &launcher);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(r.file(u"empty"_s)));
        ModalAnswerer answer;
        for (int i = 0; i < 3; ++i) answer.pressButton(u"OK"_s);
        r.click("cmdEdit");
        r.EdOut->setText(r.file(u"no-such-folder/A1.dat"_s));
        r.click("cmdEdit");
        r.EdOut->setText(r.file(u"A1.dat"_s));
        r.click("cmdEdit");
        qputenv("PATH", path);
        QCOMPARE(answer.titles, QStringList(3, u"Problem"_s));
        QCOMPARE(
            answer.texts,
            QStringList({"No file name!", "File Not Found or invalid path!\nPlease select again! ",
                         "Could not found Notepad on this computer!\nPlease Contact Varnel HK! "}));
        QCOMPARE(answer.unexpected, 0);
    }

    void exitAsksAndOnlyOkEndsTheProgram() {
        WindowRig r;
        auto* timer = child<QTimer>(&r.w, "Timer1");
        QVERIFY(r.port.open());  // a reception is waiting: port open, count-down running
        timer->start();
        r.dialogs.answers = {Answer::Cancel, Answer::Cancel};
        r.click("CmdExit");
        QVERIFY(!r.w.close());  // the close control asks the same
        const QString question = message(u"Quit?"_s, platform::Icon::Question,
                                         platform::Buttons::OkCancel, u"Really want to quit?"_s);
        QCOMPARE(r.shown(), QStringList(2, question));
        QVERIFY(r.quits == 0 && r.port.isOpen() && timer->isActive() && r.w.isVisible());

        r.dialogs.answers = {Answer::Ok};
        r.click("CmdExit");
        QVERIFY(r.quits == 1 && !r.port.isOpen() && !timer->isActive());
        // Ending the program closes the window: no second question, no second end.
        QVERIFY(r.w.close());
        QVERIFY(r.dialogs.messages.size() == 3 && r.quits == 1);

        WindowRig closing;
        QVERIFY(closing.port.open());
        closing.dialogs.answers = {Answer::Ok};
        QVERIFY(closing.w.close());
        QVERIFY(closing.quits == 1 && !closing.port.isOpen());
    }

    void exitEndsTheRunningProgramAfterOneQuestion() {
        // The real end of the program: the event loop runs, OK ends it, and the
        // windows it closes on the way ask nothing more.
        WindowRig r(true);
        r.onQuit = platform::quitApplication;
        QVERIFY(QTest::qWaitForWindowActive(&r.w));
        r.click("Command1");  // About open too
        ModalAnswerer answer;
        answer.pressButton(u"OK"_s);
        QTimer::singleShot(0, &r.w, [&r] { r.click("CmdExit"); });
        QTimer::singleShot(5000,
                           [] { QCoreApplication::exit(99); });  // a program that would not end
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(answer.titles, QStringList{u"Quit?"_s});
        QCOMPARE(answer.texts, QStringList{u"Really want to quit?"_s});
        QVERIFY(answer.unexpected == 0 && r.quits == 1);
    }
};

QTEST_MAIN(FileCommandsTest)
#include "filecommands_test.moc"
