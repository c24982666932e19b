// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window driven through its controls with the real message box: the first opening,
// the help under the mouse, folders and drives, the option groups, O.K., the second opening,
// Cancel.

#include "settings/Comset.h"
#include "Rig.h"
#include "platform/FolderList.h"

using namespace testing_support;

class ComsetTest : public QObject {
    Q_OBJECT
private slots:
    void theWindowThroughItsControls() {
        Rig r(true);  // real message boxes; drive C: holds a job folder, the third is gone
        QDir().mkpath(r.at(u"Jobs/BRIDGE01"_s));
        r.drives = {{u"Home"_s, r.home()}, {u"File system"_s, u"/"_s}, {u"USB"_s, r.at(u"gone"_s)}};
        r.devices = {{u"COM2"_s, u"/dev/ttyS1"_s}};
        RunSettingsRecord& rs = r.module.RunSettings;
        rs = {u"COM2"_s, 1200, u"E"_s, 7, 2, 3, {}, false};  // left by a reception
        r.click("cmdSettings");
        auto* c = r.w.findChild<Comset*>();
        const auto choose = [&](std::initializer_list<const char*> names) {  // on the round mark
            for (const char* name : names)
                QTest::mouseClick(child<QAbstractButton>(c, name), Qt::LeftButton, {}, {6, 8});
        };
        const auto folder = [&] {  // the folder list, the path field, DefaultPath
            return QStringList{child<platform::FolderList>(c, "Dir1")->path(),
                               child<QLineEdit>(c, "edDefPath")->text(), rs.DefaultPath};
        };
        // Modal, the defaults, the folder list at drive C:; the idle flag is not its business.
        QVERIFY(QApplication::activeModalWidget() == c && !rs.DownloadIdle);
        QCOMPARE(lineOf(rs), u"COM1 38400 N 8 1 layout 1 axes xnorth"_s);
        QCOMPARE(folder(), QStringList(3, r.home()));
        // O.K. stays on a 1280 x 800 screen at 150 %, a title bar and a panel included.
        const QSize need = c->sizeHint().expandedTo(c->minimumSizeHint());
        QVERIFY(need.width() <= 1280 / 1.5 - 8 && need.height() <= 800 / 1.5 - 80);
        // The help follows the mouse, not the selection, and leaving restores nothing.
        QVERIFY(QTest::qWaitForWindowExposed(c));
        for (const auto& [over, shown] : {std::pair{"cbOut_2", 2}, {"CmdOK", 2}, {"cbOut_1", 1}}) {
            QTest::mouseMove(c->windowHandle(), child(c, over)->mapTo(c, QPoint(6, 6)));
            QTRY_COMPARE(c->helpText(), Comset::helpFor(shown));
        }
        QVERIFY(child<QAbstractButton>(c, "cbOut_0")->isChecked() &&
                child(c, "Port_1")->toolTip().contains(u"/dev/ttyS1"_s));
        // A double-click opens a folder; a single click only picks.
        auto* dirs = child<platform::FolderList>(c, "Dir1");
        QTRY_VERIFY(dirs->indexOf(r.at(u"Jobs"_s)).isValid());
        const QPoint row = dirs->visualRect(dirs->indexOf(r.at(u"Jobs"_s))).center();
        QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, row);
        QCOMPARE(folder(), QStringList(3, r.home()));
        QTest::mouseDClick(dirs->viewport(), Qt::LeftButton, {}, row);
        QCOMPARE(folder(), QStringList(3, r.at(u"Jobs"_s)));
        auto* drive = child<QComboBox>(c, "Drive1");
        drive->setCurrentIndex(1);  // another drive: its top folder, as the toolkit writes it
        QCOMPARE(folder(), QStringList(3, u"/"_s));
        // A drive that cannot be read: a Problem, and then the settings window modal again.
        ModalAnswerer answer;
        answer.pressButton(u"OK"_s);
        answer.handleNext([&](QWidget* modal) { return modal == c; });
        drive->setCurrentIndex(2);
        QCOMPARE((answer.titles + answer.texts).join(u'|'),
                 u"Problem|The drive "_s + r.at(u"gone"_s) +
                     u" cannot be read!\nPlease select again! "_s);
        QTRY_VERIFY(answer.pending() + answer.unexpected == 0 && drive->currentIndex() == 1);
        // An output name as proposed follows the format; one of the user's own stays.
        r.w.setObservationName(u"/j/A1.sdr"_s);
        auto* out = child<QLineEdit>(&r.w, "EdOut");
        choose({"cbOut_4"});
        const QString proposed = out->text();
        out->setText(u"/j/mine.dat"_s);
        choose({"cbOut_3"});
        QCOMPARE(proposed + u'|' + out->text(), u"/j/A1.dxf|/j/mine.dat"_s);
        // Each button writes its field of lineOf() at once; the axes are kept for the next run.
        // clang-format off
        const std::tuple<const char*, int, const char*> groups[] = {
            {"Port", 0, "COM1=COM1|COM2=COM2|COM3=COM3|COM4=COM4"},
            {"cbBaud", 1, "1200=1200|9600=9600|19200=19200|38400=38400"},
            {"cbParity", 2, "None=N|Even=E|Odd=O"}, {"cbWord", 3, "7=7|8=8"},
            {"cbStop", 4, "1=1|2=2"}, {"cbOut", 6, "Autocogo 1=1|Autocogo 2=2|Wildsoft =3|CSV=4|DXF=5|LandXML=6"},
            {"cbAxes", 8, "X east, Y north=xeast|X north, Y east=xnorth"}};
        // clang-format on
        for (const auto& [name, field, expected] : groups) {
            QStringList seen;
            for (QAbstractButton* b : c->findChild<QButtonGroup*>(QLatin1String(name))->buttons()) {
                choose({qPrintable(b->objectName())});
                seen << b->text() + u'=' + lineOf(rs).split(u' ')[field];
            }
            QCOMPARE(seen.join(u'|'), QLatin1String(expected));
        }
        QCOMPARE(r.w.services().preferences->value(u"axes"_s), u"xnorth"_s);
        // Every key in the path field writes DefaultPath; only O.K. shows the serial choices.
        choose({"cbBaud_0", "cbParity_1", "cbWord_0", "Port_2", "cbOut_1"});
        auto* path = child<QLineEdit>(c, "edDefPath");
        for (const QChar ch : u"data/ö x"_s) {  // after the "/" of the drive
            QTest::sendKeyEvent(QTest::Click, path, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            QCOMPARE(rs.DefaultPath, path->text());
        }
        QCOMPARE(r.w.panel(2), u"COM1 38400 8 1 N"_s);
        r.click("CmdOK");
        QCOMPARE(r.w.panel(2) + u'|' + rs.DefaultPath, u"COM3 1200  7  2 E   |/data/ö x"_s);
        QVERIFY(!c->isVisible() && !QApplication::activeModalWidget());
        rs.DefaultPath = u"/data/ö x/"_s;  // a reception normalised it
        // The second opening resets nothing. Cancel, Escape and the close control put back
        // what it showed: the settings and their buttons, the path, the axes kept for the
        // next run, and an output name that followed the format.
        const QString was = u"COM3 1200 E 7 2 layout 2 axes xnorth|/data/ö x/|/j/A1.dat|xnorth"_s;
        const auto seen = [&] {
            return QStringList{lineOf(rs), rs.DefaultPath, out->text(),
                               r.w.services().preferences->value(u"axes"_s)}
                .join(u'|');
        };
        const std::function<void()> leaves[] = {[&] { choose({"cmdCancel"}); },
                                                [&] { QTest::keyClick(c, Qt::Key_Escape); },
                                                [&] { c->close(); }};
        for (const auto& leave : leaves) {
            r.w.setObservationName(u"/j/A1.sdr"_s);
            r.click("cmdSettings");
            QVERIFY(QApplication::activeModalWidget() == c);
            QCOMPARE(seen(), was);
            QVERIFY(child<QAbstractButton>(c, "cbBaud_0")->isChecked() &&
                    child<QAbstractButton>(c, "Port_2")->isChecked() &&
                    path->text() == u"/data/ö x"_s);
            choose({"Port_3", "cbBaud_3", "cbOut_4", "cbAxes_0", "chkRemember"});
            path->setText(u"/elsewhere"_s);
            QCOMPARE(seen(), u"COM4 38400 E 7 2 layout 5 axes xeast|/elsewhere|/j/A1.dxf|xeast"_s);
            leave();
            QVERIFY(!c->isVisible() && !QApplication::activeModalWidget());
            QCOMPARE(seen(), was);
            QCOMPARE(r.w.panel(2), u"COM3 1200  7  2 E   "_s);
        }
        r.click("cmdSettings");
        QVERIFY(!child<QCheckBox>(c, "chkRemember")->isChecked() &&
                c->helpText() == Comset::helpFor(1) && answer.unexpected == 0);
        r.click("CmdOK");
    }

    // Kept across starts only when asked for, in a settings file of the test's own. The axes are
    // kept always: the old default X east, as 1.1.0 kept it, moves to X north once; X east
    // chosen since stays.
    void rememberedAcrossStartsOnlyWhenAsked() {
        QTemporaryDir conf;
        QVERIFY(QDir(conf.path()).mkdir(u"jobs"_s));
        QSettings(conf.filePath(u"q.conf"_s), QSettings::IniFormat).setValue(u"axes"_s, u"xeast"_s);
        const auto start = [&] {
            auto r = std::make_unique<Rig<>>(
                false, QString(), nullptr,
                std::make_shared<platform::QtPreferences>(conf.filePath(u"q.conf"_s)));
            return r;
        };
        const auto settings = [](Rig<>& r, std::initializer_list<const char*> names, bool keep) {
            r.click("cmdSettings");
            auto* c = r.w.findChild<Comset*>();
            for (const char* name : names) child<QAbstractButton>(c, name)->click();
            child<QLineEdit>(c, "edDefPath")->setText(r.module.RunSettings.DefaultPath);
            child<QCheckBox>(c, "chkRemember")->setChecked(keep);
            r.click("CmdOK");
        };
        {  // first start: off by default, and the view hidden by the user
            auto r = start();
            QVERIFY(!r->w.findChild<QCheckBox*>(u"chkRemember"_s));
            r->click("cmdSettings");
            QVERIFY(!child<QCheckBox>(r->w.findChild<Comset*>(), "chkRemember")->isChecked());
            r->click("CmdOK");
            r->module.RunSettings.DefaultPath = conf.filePath(u"jobs"_s);
            settings(*r, {"Port_2", "cbBaud_1", "cbParity_2", "cbWord_0", "cbStop_1", "cbOut_1"},
                     true);
            child<QDockWidget>(&r->w, "IncomingDock")->toggleViewAction()->trigger();
        }
        for (int run = 0; run < 4; ++run) {
            if (run == 2) QVERIFY(QDir(conf.filePath(u"jobs"_s)).removeRecursively());
            if (run == 3) QVERIFY(QDir(conf.path()).mkdir(u"jobs"_s));  // the stick is back
            auto r = start();
            RunSettingsRecord& rs = r->module.RunSettings;
            const QString seen =
                QStringList{lineOf(rs), rs.DefaultPath, r->w.panel(1), r->w.panel(2)}.join(u'|');
            QVERIFY(child<QDockWidget>(&r->w, "IncomingDock")->isHidden());
            if (run == 0) {
                QCOMPARE(seen, u"COM3 9600 O 7 2 layout 2 axes xnorth|"_s +
                                   conf.filePath(u"jobs"_s) + u"|Ready|COM3 9600  7  2 O   "_s);
                // The window shows them and keeps them at its first opening.
                r->click("cmdSettings");
                auto* c = r->w.findChild<Comset*>();
                for (const char* name : {"Port_2", "cbBaud_1", "cbParity_2", "cbWord_0", "cbStop_1",
                                         "cbOut_1", "chkRemember"})
                    QVERIFY2(child<QAbstractButton>(c, name)->isChecked(), name);
                QCOMPARE(lineOf(rs) + rs.DefaultPath,
                         u"COM3 9600 O 7 2 layout 2 axes xnorth"_s + conf.filePath(u"jobs"_s));
                child<QAbstractButton>(c, "cbAxes_0")->click();  // X east, chosen
                r->click("CmdOK");
            } else if (run == 1) {
                settings(*r, {}, true);  // the same once more
            } else if (run == 2) {
                QCOMPARE(seen, u"COM3 9600 O 7 2 layout 2 axes xeast|"_s + r->home() +
                                   u"|The download folder "_s + conf.filePath(u"jobs"_s) +
                                   u" is gone: downloads go to "_s + r->home() +
                                   u"|COM3 9600  7  2 O   "_s);
                // O.K. without a folder chosen keeps the one that is gone for the next start.
                r->click("cmdSettings");
                r->click("CmdOK");
            } else {
                QCOMPARE(seen, u"COM3 9600 O 7 2 layout 2 axes xeast|"_s +
                                   conf.filePath(u"jobs"_s) + u"|Ready|COM3 9600  7  2 O   "_s);
                settings(*r, {}, false);
            }
        }
        auto r = start();  // off again: the start as ever
        QCOMPARE(QStringList({lineOf(r->module.RunSettings), r->w.panel(1), r->w.panel(2)}),
                 QStringList({u"COM1 38400 N 8 1 layout 1 axes xeast"_s, u"Ready"_s,
                              u"COM1 38400 8 1 N"_s}));
    }
};

QTEST_MAIN(ComsetTest)
#include "comset_test.moc"
