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
        QPointer<frmAbout> about = r.w.findChild<frmAbout*>();
        QVERIFY(about && QTest::qWaitForWindowExposed(about) && about->isWindow());
        QCOMPARE(about->windowTitle(), u"About"_s);
        QCOMPARE(about->windowModality(), Qt::NonModal);
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
        auto* title = child<QLabel>(about, "lblTitle");
        QCOMPARE(captions(about, {"lblTitle", "Command1"}), QStringList({"Quorvel ", "O.K."}));
        QVERIFY(title->font().bold());
        QVERIFY(title->font().pointSize() >= 2 * QApplication::font().pointSize());
        const QFontMetrics metrics(title->font());  // real glyphs, not empty boxes
        for (const QChar ch : u"Quorvel"_s) QVERIFY(metrics.inFont(ch));
        QVERIFY(
            child<QLabel>(about, "lblVersion")->text().contains(QStringLiteral(QUORVEL_VERSION)));
        QVERIFY(!child<QLabel>(about, "lblContact")->text().isEmpty());
        for (const char* picture : {"Image1", "Image2"})
            QVERIFY(!child<QLabel>(about, picture)->pixmap().isNull());

        // The main window takes input meanwhile: Clear works, and Exit asks.
        r.EdObs->setText(u"/jobs/A1.sdr"_s);
        r.click("CmdClear");
        QCOMPARE(r.EdObs->text(), QString());
        ModalAnswerer answer;
        answer.pressButton(u"Cancel"_s);
        r.click("CmdExit");
        QCOMPARE(answer.texts, QStringList{u"Really want to quit?"_s});
        QVERIFY(r.quits == 0 && about->isVisible());

        // O.K. hides it, the next About shows the same window, the close control hides it.
        QTest::mouseClick(child<QPushButton>(about, "Command1"), Qt::LeftButton);
        QVERIFY(!about->isVisible());
        r.click("Command1");
        QVERIFY(r.w.findChild<frmAbout*>() == about && about->isVisible());
        QVERIFY(about->close());
        QApplication::processEvents();
        QVERIFY(about && !about->isVisible() && r.w.isVisible());
        QCOMPARE(answer.unexpected, 0);
    }
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
