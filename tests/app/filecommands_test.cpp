// The main window's small commands driven through its buttons and real focus
// changes: the output name, Browse, Clear, Edit File, Exit and the close control.
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "ModalAnswerer.h"
#include "Scripted.h"
#include "app/KCR1.h"

using namespace testing_support;

namespace {

struct Rig {
    explicit Rig(platform::Dialogs* realDialogs = nullptr,
                 platform::EditorLauncher* realEditor = nullptr) {
        w = std::make_unique<KCR1>(
            module, platform::Services{realDialogs ? *realDialogs : dialogs, port,
                                       realEditor ? *realEditor : editor, platform::resolveComPort,
                                       QStringLiteral("/home/ann"), platform::listDrives,
                                       [this] { ++quits; }});
        w->show();
        w->activateWindow();
    }
    QLineEdit* edit(const char* name) { return w->findChild<QLineEdit*>(QLatin1String(name)); }
    QPushButton* button(const char* name) {
        return w->findChild<QPushButton*>(QLatin1String(name));
    }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }

    Module1 module;
    ScriptedDialogs dialogs;
    ScriptedSerialPort port;
    ScriptedLauncher editor;
    int quits = 0;
    std::unique_ptr<KCR1> w;
};

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void outputNameWhenLeavingTheObservationField_data() {
        QTest::addColumn<QString>("observation");
        QTest::addColumn<QString>("output");
        // The rule itself is tested on the core; here: the focus change and the
        // way names cross from the field to the rule and back.
        QTest::newRow("sdr") << "/jobs/A1.sdr"
                             << "/jobs/A1.dat";
        QTest::newRow("dat") << "/jobs/A1.dat"
                             << "/jobs/A1.out";
        QTest::newRow("three characters") << "A1B"
                                          << "A1B.dat";
        QTest::newRow("letters beyond ASCII")
            << QStringLiteral("/jobs/Zürich-Süd.sdr") << QStringLiteral("/jobs/Zürich-Süd.dat");
        QTest::newRow("short name beyond ASCII")
            << QStringLiteral("Brücke") << QStringLiteral("Br.dat");
    }

    void outputNameWhenLeavingTheObservationField() {
        QFETCH(QString, observation);
        QFETCH(QString, output);
        Rig r;
        QVERIFY(QTest::qWaitForWindowActive(r.w.get()));
        QLineEdit* obs = r.edit("EdObs");
        QLineEdit* out = r.edit("EdOut");
        out->setText(QStringLiteral("typed by the user.txt"));
        obs->setFocus();
        QVERIFY(obs->hasFocus());
        for (const QChar ch : observation)
            QTest::sendKeyEvent(QTest::Click, obs, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QCOMPARE(out->text(), QStringLiteral("typed by the user.txt"));  // not while typing
        {
            // Another window taking the focus is no leaving of the field.
            QWidget other;
            other.show();
            other.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&other));
            QCOMPARE(out->text(), QStringLiteral("typed by the user.txt"));
        }
        r.w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(r.w.get()));
        QVERIFY(obs->hasFocus());
        QTest::keyClick(obs, Qt::Key_Tab);
        QVERIFY(!obs->hasFocus());
        QCOMPARE(out->text(), output);
    }

    void emptyObservationFieldLeavesTheOutputAlone() {
        Rig r;
        QVERIFY(QTest::qWaitForWindowActive(r.w.get()));
        r.edit("EdOut")->setText(QStringLiteral("/jobs/mine.dat"));
        r.edit("EdObs")->setFocus();
        QTest::mouseClick(r.edit("EdOut"), Qt::LeftButton);
        QVERIFY(r.edit("EdOut")->hasFocus());
        QCOMPARE(r.edit("EdOut")->text(), QStringLiteral("/jobs/mine.dat"));
    }

    void browseFillsTheFieldAndCancelIsSilent() {
        Rig r;
        QVERIFY(QTest::qWaitForWindowActive(r.w.get()));
        r.edit("EdObs")->setText(QStringLiteral("/jobs/old.sdr"));
        r.edit("EdOut")->setText(QStringLiteral("/jobs/old.dat"));
        r.dialogs.files.push_back(QString());  // Cancel
        r.click("CmdBrowse1");
        QCOMPARE(r.dialogs.dialogTitles, QStringList{QStringLiteral("Open the Raw data File ...")});
        QCOMPARE(r.dialogs.dialogFilters,
                 QStringList{QStringLiteral("DownLoad files (*.tmp)|*.tmp|All Files(*.*)|*.*")});
        QCOMPARE(r.edit("EdObs")->text(), QStringLiteral("/jobs/old.sdr"));
        QCOMPARE(r.edit("EdOut")->text(), QStringLiteral("/jobs/old.dat"));
        QVERIFY(r.dialogs.messages.isEmpty());

        r.dialogs.files.push_back(QStringLiteral("/data/field/JOB7.tmp"));
        r.click("CmdBrowse1");
        QCOMPARE(r.edit("EdObs")->text(), QStringLiteral("/data/field/JOB7.tmp"));
        QVERIFY(r.edit("EdObs")->hasFocus());
        QCOMPARE(r.edit("EdOut")->text(), QStringLiteral("/jobs/old.dat"));
        // Moving on, for example to Convert, proposes the output name.
        QTest::mouseClick(r.edit("EdOut"), Qt::LeftButton);
        QCOMPARE(r.edit("EdOut")->text(), QStringLiteral("/data/field/JOB7.dat"));
        QVERIFY(r.dialogs.messages.isEmpty());
    }

    void browseWithTheRealFileDialog() {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("JOB9.tmp"));
        QFile(file).open(QIODevice::WriteOnly);
        platform::QtDialogs real;
        Rig r(&real);
        real.setParent(r.w.get());
        QVERIFY(QTest::qWaitForWindowActive(r.w.get()));

        ModalAnswerer answer;
        QString title;
        QStringList filters;
        answer.handleNext([&](QWidget* modal) {
            auto* d = qobject_cast<QFileDialog*>(modal);
            if (d == nullptr) return false;
            title = d->windowTitle();
            filters = d->nameFilters();
            QTimer::singleShot(0, d, &QDialog::reject);
            return true;
        });
        answer.handleNext([&](QWidget* modal) {
            auto* d = qobject_cast<QFileDialog*>(modal);
            if (d == nullptr) return false;
            chooseFile(d, file);
            return true;
        });
        r.click("CmdBrowse1");
        QCOMPARE(title, QStringLiteral("Open the Raw data File ..."));
        QCOMPARE(filters.value(0), QStringLiteral("DownLoad files (*.tmp)"));
        QCOMPARE(r.edit("EdObs")->text(), QString());
        r.click("CmdBrowse1");
        QCOMPARE(r.edit("EdObs")->text(), file);
        QCOMPARE(answer.pending(), 0);
        QCOMPARE(answer.unexpected, 0);
    }

    void clearEmptiesBothFieldsAndNothingElse() {
        Rig r;
        r.edit("EdObs")->setText(QStringLiteral("/jobs/A1.sdr"));
        r.edit("EdOut")->setText(QStringLiteral("/jobs/A1.dat"));
        r.w->setPanel(1, QStringLiteral("Converting ..."));
        r.w->setPanel(2, QStringLiteral("COM3 1200  7  2 E   "));
        r.module.RunSettings.BaudRate = 1200;
        r.module.RunSettings.DefaultPath = QStringLiteral("/srv/jobs/");
        r.click("CmdClear");
        QCOMPARE(r.edit("EdObs")->text(), QString());
        QCOMPARE(r.edit("EdOut")->text(), QString());
        QCOMPARE(r.w->panel(1), QStringLiteral("Converting ..."));
        QCOMPARE(r.w->panel(2), QStringLiteral("COM3 1200  7  2 E   "));
        QCOMPARE(r.module.RunSettings.BaudRate, 1200);
        QCOMPARE(r.module.RunSettings.DefaultPath, QStringLiteral("/srv/jobs/"));
    }

    void editFileStartsTheEditorOrSaysWhy() {
        Rig r;
        QVERIFY(QTest::qWaitForWindowActive(r.w.get()));
        // No name: say so, put the cursor there, start nothing.
        r.click("cmdEdit");
        QCOMPARE(r.dialogs.messages.size(), 1);
        QCOMPARE(r.dialogs.messages[0].text, QStringLiteral("No file name!"));
        QCOMPARE(r.dialogs.messages[0].icon, platform::Icon::Critical);
        QCOMPARE(r.dialogs.messages[0].buttons, platform::Buttons::Ok);
        QCOMPARE(r.dialogs.messages[0].caption, QStringLiteral("Problem"));
        QVERIFY(r.edit("EdOut")->hasFocus());
        QVERIFY(r.editor.started.isEmpty());

        // The output file, blanks and shell characters included, is one argument.
        const QString odd = QStringLiteral("/jobs/site a; rm -rf ~ $(x)/A1.dat");
        r.edit("EdObs")->setText(QStringLiteral("/jobs/A1.sdr"));
        r.edit("EdOut")->setText(odd);
        r.click("cmdEdit");
        QCOMPARE(r.editor.started, QStringList{odd});
        QCOMPARE(r.dialogs.messages.size(), 1);

        const struct {
            platform::LaunchResult result;
            const char* text;
        } failures[] = {
            {platform::LaunchResult::PathNotFound,
             "File Not Found or invalid path!\rPlease select again! "},
            {platform::LaunchResult::FileNotFound,
             "File Not Found or invalid path!\rPlease select again! "},
            {platform::LaunchResult::Failed,
             "Could not found Notepad on this computer!\rPlease Contact Varnel HK! "},
        };
        for (const auto& f : failures) {
            r.dialogs.messages.clear();
            r.editor.result = f.result;
            r.click("cmdEdit");
            QCOMPARE(r.dialogs.messages.size(), 1);
            QCOMPARE(r.dialogs.messages[0].text, QLatin1String(f.text));
            QCOMPARE(r.dialogs.messages[0].icon, platform::Icon::Critical);
            QCOMPARE(r.dialogs.messages[0].caption, QStringLiteral("Problem"));
            QCOMPARE(r.edit("EdOut")->text(), odd);
        }
    }

    void editFileWithTheRealLauncherAndMessageBox() {
        // No editor anywhere on the PATH, and a folder that does not exist.
        QTemporaryDir dir;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(dir.filePath(QStringLiteral("empty"))));
        platform::QtDialogs real;
        platform::QtEditorLauncher launcher;
        Rig r(&real, &launcher);
        real.setParent(r.w.get());
        ModalAnswerer answer;
        for (int i = 0; i < 3; ++i) answer.pressButton(QStringLiteral("OK"));
        r.click("cmdEdit");
        r.edit("EdOut")->setText(dir.filePath(QStringLiteral("no-such-folder/A1.dat")));
        r.click("cmdEdit");
        r.edit("EdOut")->setText(dir.filePath(QStringLiteral("A1.dat")));
        r.click("cmdEdit");
        qputenv("PATH", path);
        QCOMPARE(answer.titles, QStringList(3, QStringLiteral("Problem")));
        QCOMPARE(answer.texts,
                 (QStringList{
                     QStringLiteral("No file name!"),
                     QStringLiteral("File Not Found or invalid path!\nPlease select again! "),
                     QStringLiteral(
                         "Could not found Notepad on this computer!\nPlease Contact Varnel HK! "),
                 }));
        QCOMPARE(answer.unexpected, 0);
    }

    void exitAsksAndOnlyOkEndsTheProgram() {
        Rig r;
        QTimer* timer = r.w->findChild<QTimer*>(QStringLiteral("Timer1"));
        // A reception is waiting: port open, count-down running.
        QVERIFY(r.port.open());
        timer->start();
        r.dialogs.answers = {platform::Answer::Cancel};
        r.click("CmdExit");
        QCOMPARE(r.dialogs.messages.size(), 1);
        const ShownMessage& m = r.dialogs.messages[0];
        QCOMPARE(m.text, QStringLiteral("Really want to quit?"));
        QCOMPARE(m.icon, platform::Icon::Question);
        QCOMPARE(m.buttons, platform::Buttons::OkCancel);
        QCOMPARE(m.caption, QStringLiteral("Quit?"));
        QCOMPARE(r.quits, 0);
        QVERIFY(r.port.isOpen());
        QVERIFY(timer->isActive());
        QVERIFY(r.w->isVisible());

        // The close control asks the same.
        r.dialogs.answers = {platform::Answer::Cancel};
        QVERIFY(!r.w->close());
        QVERIFY(r.w->isVisible());
        QCOMPARE(r.dialogs.messages.size(), 2);
        QCOMPARE(r.dialogs.messages[1].caption, QStringLiteral("Quit?"));
        QCOMPARE(r.quits, 0);
        QVERIFY(r.port.isOpen());

        r.dialogs.answers = {platform::Answer::Ok};
        r.click("CmdExit");
        QCOMPARE(r.quits, 1);
        QVERIFY(!r.port.isOpen());
        QVERIFY(!timer->isActive());
        // Ending the program closes the window: no second question, no second end.
        QVERIFY(r.w->close());
        QCOMPARE(r.dialogs.messages.size(), 3);
        QCOMPARE(r.quits, 1);

        Rig closing;
        QVERIFY(closing.port.open());
        closing.dialogs.answers = {platform::Answer::Ok};
        QVERIFY(closing.w->close());
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
        KCR1 w(module, platform::Services{real, port, editor, platform::resolveComPort,
                                          QStringLiteral("/home/ann")});
        real.setParent(&w);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.findChild<QPushButton*>(QStringLiteral("Command1"))->click();  // About open too
        ModalAnswerer answer;
        answer.pressButton(QStringLiteral("OK"));
        QTimer::singleShot(0, &w,
                           [&w] { w.findChild<QPushButton*>(QStringLiteral("CmdExit"))->click(); });
        QTimer::singleShot(5000,
                           [] { QCoreApplication::exit(99); });  // a program that would not end
        QCOMPARE(QApplication::exec(), 0);
        QCOMPARE(answer.texts, QStringList{QStringLiteral("Really want to quit?")});
        QCOMPARE(answer.unexpected, 0);
    }

    void exitWithTheRealQuestion() {
        platform::QtDialogs real;
        Rig r(&real);
        real.setParent(r.w.get());
        ModalAnswerer answer;
        answer.pressButton(QStringLiteral("Cancel"));
        answer.pressButton(QStringLiteral("OK"));
        r.click("CmdExit");
        QCOMPARE(r.quits, 0);
        r.click("CmdExit");
        QCOMPARE(r.quits, 1);
        QCOMPARE(answer.titles, QStringList(2, QStringLiteral("Quit?")));
        QCOMPARE(answer.texts, QStringList(2, QStringLiteral("Really want to quit?")));
        QCOMPARE(answer.unexpected, 0);
    }
};

QTEST_MAIN(FileCommandsTest)
#include "filecommands_test.moc"
