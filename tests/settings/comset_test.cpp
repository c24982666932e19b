// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window driven through its controls with the real message box: the first opening,
// the help under the mouse, folders and drives, the option groups editing its copy, O.K. handing
// it over, the second opening, Cancel.

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
        quorvel::RunSettings& rs = r.module.RunSettings;
        rs = {{2, 1200, quorvel::Parity::Even, 7, 2},
              quorvel::OutputFormat::Autocogo3,
              quorvel::Axes::XNorthYEast,
              {}};
        const QString inForce = lineOf(rs);
        r.click("cmdSettings");
        auto* c = r.w.findChild<Comset*>();
        const quorvel::RunSettings& copy = c->settings();
        const auto choose = [&](std::initializer_list<const char*> names) {  // on the round mark
            for (const char* name : names)
                QTest::mouseClick(child<QAbstractButton>(c, name), Qt::LeftButton, {}, {6, 8});
        };
        const auto folder = [&] {  // the folder list, the path field, the download folder
            return QStringList{child<platform::FolderList>(c, "Dir1")->path(),
                               child<QLineEdit>(c, "edDefPath")->text(), pathOf(copy.DefaultPath)};
        };
        // Modal, the defaults, the folder list at drive C:; the settings in force untouched.
        QVERIFY(QApplication::activeModalWidget() == c);
        QCOMPARE(lineOf(copy) + u'|' + lineOf(rs),
                 u"COM1 38400 N 8 1 layout 1 axes xnorth flow none pause 50|"_s + inForce);
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
        // Each group shows the default the copy holds.
        for (const char* name : {"Port_0", "cbBaud_3", "cbParity_0", "cbWord_1", "cbStop_0",
                                 "cbOut_0", "cbAxes_1", "cbFlow_0"})
            QVERIFY2(child<QAbstractButton>(c, name)->isChecked(), name);
        QVERIFY(child(c, "Port_1")->toolTip().contains(u"/dev/ttyS1"_s));
        // A double-click opens a folder; a single click only picks.
        auto* dirs = child<platform::FolderList>(c, "Dir1");
        QTRY_VERIFY(dirs->indexOf(r.at(u"Jobs"_s)).isValid());
        const QPoint row = dirs->visualRect(dirs->indexOf(r.at(u"Jobs"_s))).center();
        QTest::mouseClick(dirs->viewport(), Qt::LeftButton, {}, row);
        QTest::keyClick(dirs, Qt::Key_Right);  // a key other than Return opens nothing either
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
        // Each button writes its field of the window's copy.
        // clang-format off
        const std::tuple<const char*, int, const char*> groups[] = {
            {"Port", 0, "COM1=COM1|COM2=COM2|COM3=COM3|COM4=COM4"},
            {"cbBaud", 1, "1200=1200|9600=9600|19200=19200|38400=38400"},
            {"cbParity", 2, "None=N|Even=E|Odd=O"}, {"cbWord", 3, "7=7|8=8"},
            {"cbStop", 4, "1=1|2=2"}, {"cbOut", 6, "Autocogo 1=1|Autocogo 2=2|Wildsoft =3|CSV=4|DXF=5|LandXML=6"},
            {"cbAxes", 8, "X east, Y north=xeast|X north, Y east=xnorth"},
            {"cbFlow", 10, "None=none|XON/XOFF=xonxoff|RTS/CTS=rtscts"}};
        // clang-format on
        for (const auto& [name, field, expected] : groups) {
            QStringList seen;
            for (QAbstractButton* b : c->findChild<QButtonGroup*>(QLatin1String(name))->buttons()) {
                choose({qPrintable(b->objectName())});
                seen << b->text() + u'=' + lineOf(copy).split(u' ')[field];
            }
            QCOMPARE(seen.join(u'|'), QLatin1String(expected));
        }
        // Every key in the path field writes the copy's folder; O.K. hands the copy over,
        // with the serial choices in panel 2 and the axes kept for the next run.
        choose({"cbBaud_0", "cbParity_1", "cbWord_0", "Port_2", "cbOut_1", "cbFlow_1"});
        auto* pause = child<QSpinBox>(c, "spnDelay");
        pause->selectAll();
        QTest::keyClicks(pause, u"1200"_s);  // beyond the highest pause: the last key is refused
        QCOMPARE(pause->text() + lineOf(copy).section(u' ', 12), u"120 ms120"_s);
        auto* path = child<QLineEdit>(c, "edDefPath");
        for (const QChar ch : u"data/ö x"_s) {  // after the "/" of the drive
            QTest::sendKeyEvent(QTest::Click, path, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            QCOMPARE(pathOf(copy.DefaultPath), path->text());
        }
        QCOMPARE(r.panel(2) + u'|' + lineOf(rs), u"COM1 38400 8 1 N|"_s + inForce);
        r.w.setObservationName(u"/j/A1.sdr"_s);
        auto* out = child<QLineEdit>(&r.w, "EdOut");
        r.click("CmdOK");
        QCOMPARE(
            r.panel(2) + u'|' + pathOf(rs.DefaultPath) + u'|' + lineOf(rs),
            u"COM3 1200  7  2 E   |/data/ö x|COM3 1200 E 7 2 layout 2 axes xnorth flow xonxoff pause 120"_s);
        QCOMPARE(r.preferences->value(u"axes"_s), u"xnorth"_s);
        QVERIFY(!c->isVisible() && !QApplication::activeModalWidget());
        // An output name as proposed follows the format handed over; one of the user's own stays.
        for (const char* format : {"cbOut_4", "cbOut_3", "cbOut_1"}) {
            if (format[6] == '3') out->setText(u"/j/mine.dat"_s);
            r.click("cmdSettings");
            choose({format});
            r.click("CmdOK");
            if (format[6] == '4') QCOMPARE(out->text(), u"/j/A1.dxf"_s);
        }
        QCOMPARE(out->text(), u"/j/mine.dat"_s);
        // The second opening resets nothing. Cancel, Escape and the close control put back
        // what it showed, and hand nothing over: the settings, the axes kept for the next run
        // and the output name stay.
        const QString was =
            u"COM3 1200 E 7 2 layout 2 axes xnorth flow xonxoff pause 120|/data/ö x|/j/A1.dat|xnorth"_s;
        const auto seen = [&](const quorvel::RunSettings& settings) {
            return QStringList{lineOf(settings), pathOf(settings.DefaultPath), out->text(),
                               r.preferences->value(u"axes"_s)}
                .join(u'|');
        };
        const std::function<void()> leaves[] = {[&] { choose({"cmdCancel"}); },
                                                [&] { QTest::keyClick(c, Qt::Key_Escape); },
                                                [&] { c->close(); }};
        for (const auto& leave : leaves) {
            r.w.setObservationName(u"/j/A1.sdr"_s);
            r.click("cmdSettings");
            QVERIFY(QApplication::activeModalWidget() == c);
            QCOMPARE(seen(copy) + seen(rs), was + was);
            QVERIFY(child<QAbstractButton>(c, "cbBaud_0")->isChecked() &&
                    child<QAbstractButton>(c, "Port_2")->isChecked() &&
                    path->text() == u"/data/ö x"_s && pause->value() == 120 &&
                    child<QAbstractButton>(c, "cbFlow_1")->isChecked());
            choose({"Port_3", "cbBaud_3", "cbOut_4", "cbAxes_0", "chkRemember", "cbFlow_2"});
            path->setText(u"/elsewhere"_s);
            pause->setValue(0);
            QCOMPARE(
                seen(copy) + seen(rs),
                u"COM4 38400 E 7 2 layout 5 axes xeast flow rtscts pause 0|/elsewhere|/j/A1.dat|xnorth"_s +
                    was);
            leave();
            QVERIFY(!c->isVisible() && !QApplication::activeModalWidget());
            QCOMPARE(seen(copy) + seen(rs), was + was);
            QCOMPARE(r.panel(2) + pause->text(), u"COM3 1200  7  2 E   120 ms"_s);
        }
        r.click("cmdSettings");
        QVERIFY(!child<QCheckBox>(c, "chkRemember")->isChecked() &&
                c->helpText() == Comset::helpFor(1) && answer.unexpected == 0);
        r.click("CmdOK");
    }

    // Kept across starts only when asked for, in a settings file of the test's own: shown
    // at the next start and at the window's first opening; a kept folder gone since is told.
    // The axes are kept always: the old default X east, as 1.1.0 kept it, moves to X north
    // once; X east chosen since stays.
    void rememberedAcrossStartsOnlyWhenAsked() {
        QTemporaryDir conf;
        QVERIFY(QDir(conf.path()).mkdir(u"jobs"_s));
        QSettings(conf.filePath(u"q.conf"_s), QSettings::IniFormat).setValue(u"axes"_s, u"xeast"_s);
        const auto start = [&] {
            return std::make_unique<Rig<>>(
                false, QString(), nullptr,
                std::make_shared<platform::QtPreferences>(conf.filePath(u"q.conf"_s)));
        };
        const auto seen = [](Rig<>& r) {
            return QStringList{lineOf(r.module.RunSettings),
                               pathOf(r.module.RunSettings.DefaultPath), r.panel(1), r.panel(2)}
                .join(u'|');
        };
        const char* const kept[] = {"Port_2",   "cbBaud_1", "cbParity_2", "cbWord_0",
                                    "cbStop_1", "cbOut_1",  "cbFlow_1",   "chkRemember"};
        {  // first start: off by default; the view hidden by the user
            auto r = start();
            r->click("cmdSettings");
            auto* c = r->w.findChild<Comset*>();
            QVERIFY(!child<QCheckBox>(c, "chkRemember")->isChecked());
            for (const char* name : kept) child<QAbstractButton>(c, name)->click();
            child<QLineEdit>(c, "edDefPath")->setText(conf.filePath(u"jobs"_s));
            r->click("CmdOK");
            child<QDockWidget>(&r->w, "IncomingDock")->toggleViewAction()->trigger();
        }
        {
            auto r = start();
            QVERIFY(child<QDockWidget>(&r->w, "IncomingDock")->isHidden());
            QCOMPARE(seen(*r), u"COM3 9600 O 7 2 layout 2 axes xnorth flow xonxoff pause 50|"_s +
                                   conf.filePath(u"jobs"_s) + u"|Ready|COM3 9600  7  2 O   "_s);
            r->click("cmdSettings");
            auto* c = r->w.findChild<Comset*>();
            for (const char* name : kept)
                QVERIFY2(child<QAbstractButton>(c, name)->isChecked(), name);
            child<QAbstractButton>(c, "cbAxes_0")->click();  // X east, chosen
            r->click("CmdOK");
        }
        QVERIFY(QDir(conf.filePath(u"jobs"_s)).removeRecursively());
        {
            auto r = start();
            QCOMPARE(seen(*r), u"COM3 9600 O 7 2 layout 2 axes xeast flow xonxoff pause 50|"_s +
                                   r->home() + u"|The download folder "_s +
                                   conf.filePath(u"jobs"_s) + u" is gone: downloads go to "_s +
                                   r->home() + u"|COM3 9600  7  2 O   "_s);
            r->click("cmdSettings");
            child<QCheckBox>(r->w.findChild<Comset*>(), "chkRemember")->setChecked(false);
            r->click("CmdOK");
        }
        auto r = start();  // off again: the start as ever, the axes chosen kept
        QCOMPARE(seen(*r), u"COM1 38400 N 8 1 layout 1 axes xeast flow none pause 50|"_s +
                               r->home() + u"|Ready|COM1 38400 8 1 N"_s);
    }
};

QTEST_MAIN(ComsetTest)
#include "comset_test.moc"
