// The about window: what it shows, that it leaves the main window usable, and that
// O.K. and the close control only hide it.
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "ModalAnswerer.h"
#include "Scripted.h"
#include "app/KCR1.h"
#include "app/frmAbout.h"

using namespace testing_support;

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void showsTitleVersionAndContactWhileTheMainWindowWorks() {
        Module1 module;
        platform::QtDialogs dialogs;  // the real question box, answered below
        ScriptedSerialPort port;
        ScriptedLauncher editor;
        int quits = 0;
        KCR1 w(module, {dialogs, port, editor, platform::resolveComPort, QStringLiteral("/h"),
                        platform::listDrives, [&] { ++quits; }});
        dialogs.setParent(&w);
        w.show();
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        auto* about = w.findChild<frmAbout*>();
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QVERIFY(about->isWindow());
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        QCOMPARE(about->windowModality(), Qt::NonModal);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        auto* title = about->findChild<QLabel*>(QStringLiteral("lblTitle"));
        QCOMPARE(title->text(), QStringLiteral("Quorvel "));
        QVERIFY(title->font().bold());
        QVERIFY(title->font().pointSize() >= 2 * QApplication::font().pointSize());
        // Real glyphs, not empty boxes.
        const QFontMetrics metrics(title->font());
        for (const QChar ch : QStringLiteral("Quorvel")) QVERIFY(metrics.inFont(ch));
        QVERIFY(about->findChild<QLabel*>(QStringLiteral("lblVersion"))
                    ->text()
                    .contains(QStringLiteral(QUORVEL_VERSION)));
        QVERIFY(!about->findChild<QLabel*>(QStringLiteral("lblContact"))->text().isEmpty());
        for (const char* picture : {"Image1", "Image2"})
            QVERIFY(!about->findChild<QLabel*>(QLatin1String(picture))->pixmap().isNull());
        QVERIFY(!about->grab().isNull());

        // The main window takes input meanwhile: Clear works, and Exit asks.
        auto* obs = w.findChild<QLineEdit*>(QStringLiteral("EdObs"));
        obs->setText(QStringLiteral("/jobs/A1.sdr"));
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("CmdClear")), Qt::LeftButton);
        QCOMPARE(obs->text(), QString());
        ModalAnswerer answer;
        answer.pressButton(QStringLiteral("Cancel"));
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("CmdExit")), Qt::LeftButton);
        QCOMPARE(answer.texts, QStringList{QStringLiteral("Really want to quit?")});
        QCOMPARE(quits, 0);
        QVERIFY(about->isVisible());

        // O.K. hides it; the next About shows the same window again.
        auto* ok = about->findChild<QPushButton*>(QStringLiteral("Command1"));
        QCOMPARE(ok->text(), QStringLiteral("O.K."));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!about->isVisible());
        QTest::mouseClick(w.findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(w.findChild<frmAbout*>(), about);
        QVERIFY(about->isVisible());

        // The close control does what O.K. does.
        QPointer<frmAbout> kept(about);
        QVERIFY(about->close());
        QApplication::processEvents();
        QVERIFY(kept);
        QVERIFY(!about->isVisible());
        QVERIFY(w.isVisible());
        QCOMPARE(answer.unexpected, 0);
    }
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
