// The about window: what it shows, that it leaves the main window usable, and that
// O.K. and the close control only hide it.
#include <QApplication>
#include <QFontMetrics>
#include <QPointer>

#include "ModalAnswerer.h"
#include "WindowRig.h"
#include "app/frmAbout.h"

using namespace testing_support;

class AboutTest : public QObject {
    Q_OBJECT
private slots:
    void showsTitleVersionAndContactWhileTheMainWindowWorks() {
        WindowRig r(true);  // the real question box, answered below
        r.click("Command1");
        auto* about = r.w.findChild<frmAbout*>();
        QVERIFY(about);
        QVERIFY(QTest::qWaitForWindowExposed(about));
        QVERIFY(about->isWindow());
        QCOMPARE(about->windowTitle(), QStringLiteral("About"));
        QCOMPARE(about->windowModality(), Qt::NonModal);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);

        auto* title = child<QLabel>(about, "lblTitle");
        QCOMPARE(title->text(), QStringLiteral("Quorvel "));
        QVERIFY(title->font().bold());
        QVERIFY(title->font().pointSize() >= 2 * QApplication::font().pointSize());
        const QFontMetrics metrics(title->font());  // real glyphs, not empty boxes
        for (const QChar ch : QStringLiteral("Quorvel")) QVERIFY(metrics.inFont(ch));
        QVERIFY(
            child<QLabel>(about, "lblVersion")->text().contains(QStringLiteral(QUORVEL_VERSION)));
        QVERIFY(!child<QLabel>(about, "lblContact")->text().isEmpty());
        for (const char* picture : {"Image1", "Image2"})
            QVERIFY(!child<QLabel>(about, picture)->pixmap().isNull());

        // The main window takes input meanwhile: Clear works, and Exit asks.
        r.EdObs->setText(QStringLiteral("/jobs/A1.sdr"));
        r.click("CmdClear");
        QCOMPARE(r.EdObs->text(), QString());
        ModalAnswerer answer;
        answer.pressButton(QStringLiteral("Cancel"));
        r.click("CmdExit");
        QCOMPARE(answer.texts, QStringList{QStringLiteral("Really want to quit?")});
        QCOMPARE(r.quits, 0);
        QVERIFY(about->isVisible());

        // O.K. hides it; the next About shows the same window again.
        QCOMPARE(captions(about, {"Command1"}), QStringList{"O.K."});
        QTest::mouseClick(child<QPushButton>(about, "Command1"), Qt::LeftButton);
        QVERIFY(!about->isVisible());
        r.click("Command1");
        QCOMPARE(r.w.findChild<frmAbout*>(), about);
        QVERIFY(about->isVisible());

        // The close control does what O.K. does.
        QPointer<frmAbout> kept(about);
        QVERIFY(about->close());
        QApplication::processEvents();
        QVERIFY(kept && !about->isVisible());
        QVERIFY(r.w.isVisible());
        QCOMPARE(answer.unexpected, 0);
    }
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
