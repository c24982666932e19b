// SPDX-License-Identifier: GPL-3.0-or-later
// The settings kept for the next start: each value read back only when it is one the
// settings window offers, anything else keeping what the start had; kept again as loaded.
#include "settings/Remembered.h"
#include "Rig.h"

using namespace testing_support;

class RememberedTest : public QObject {
    Q_OBJECT
private slots:
    void keptValuesOrWhatTheStartHad_data() {
        QTest::addColumn<QString>("kept");  // key=value, separated by blanks
        QTest::addColumn<QString>("loaded");
        const QString start = u"COM2 9600 E 7 2 layout 3 axes xnorth flow xonxoff pause 200"_s;
        QTest::newRow("not asked for") << u"line/port=COM4 output/layout=1"_s << QString();
        QTest::newRow("asked for, nothing kept") << u"remember=on"_s << start;
        QTest::newRow("the lowest of each")
            << u"remember=on line/port=COM1 line/baud=1200 line/parity=N line/databits=7 "
               "line/stopbits=1 line/flow=none send/linedelay=0 output/layout=1"_s
            << u"COM1 1200 N 7 1 layout 1 axes xnorth flow none pause 0"_s;
        QTest::newRow("the highest of each")
            << u"remember=on line/port=COM4 line/baud=38400 line/parity=O line/databits=8 "
               "line/stopbits=2 line/flow=rtscts send/linedelay=1000 output/layout=6"_s
            << u"COM4 38400 O 8 2 layout 6 axes xnorth flow rtscts pause 1000"_s;
        QTest::newRow("between")
            << u"remember=on line/port=COM3 line/baud=19200 line/parity=E output/layout=5"_s
            << u"COM3 19200 E 7 2 layout 5 axes xnorth flow xonxoff pause 200"_s;
        QTest::newRow("none offered")
            << u"remember=on line/port=COM5 line/baud=4800 line/parity=M line/databits=6 "
               "line/stopbits=3 line/flow=fast send/linedelay=1001 output/layout=7"_s
            << start;
        QTest::newRow("no numbers")
            << u"remember=on line/port=COMx line/baud=fast line/databits=8bit "
               "send/linedelay=-1 output/layout=csv"_s
            << start;
        QTest::newRow("a port by its device") << u"remember=on line/port=/dev/ttyS0"_s << start;
    }
    void keptValuesOrWhatTheStartHad() {
        QFETCH(QString, kept);
        QFETCH(QString, loaded);
        QTemporaryDir home;
        platform::MemoryPreferences store;
        for (const QString& pair : kept.split(u' '))
            store.setValue(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        const quorvel::RunSettings start{
            {2, 9600, quorvel::Parity::Even, 7, 2, quorvel::FlowControl::XonXoff},
            quorvel::OutputFormat::Autocogo3,
            quorvel::Axes::XNorthYEast,
            bytesOf(home.filePath(u"start"_s)),
            200};
        quorvel::RunSettings s = start;
        const auto read = remembered::load(store, s, home.path());
        QCOMPARE(read ? lineOf(s) : lineOf(start).remove(lineOf(s)), loaded);  // off: untouched
        if (!read) return;
        // No folder kept: the home folder, and none told as gone.
        QCOMPARE(pathOf(s.DefaultPath) + read->missingFolder, home.path());
        // Kept as loaded, then loaded again from the defaults: the same.
        platform::MemoryPreferences again;
        remembered::save(again, s, true, true);
        quorvel::RunSettings fresh;
        QVERIFY(remembered::load(again, fresh, u"/"_s));
        QCOMPARE(lineOf(fresh) + pathOf(fresh.DefaultPath), lineOf(s) + home.path());
    }

    // A kept folder that is gone: downloads go to the home folder and the start says so; it
    // stays kept unless another is chosen. Off, only "off" is kept.
    void aFolderGoneSinceStaysKeptUntilAnotherIsChosen() {
        QTemporaryDir home;
        const QString gone = home.filePath(u"stick"_s);
        platform::MemoryPreferences store;
        store.setValue(u"remember"_s, u"on"_s);
        store.setValue(u"download/folder"_s, gone);
        quorvel::RunSettings s;
        QCOMPARE(remembered::load(store, s, home.path())->missingFolder, gone);
        QCOMPARE(pathOf(s.DefaultPath), home.path());
        remembered::save(store, s, true, false);
        QCOMPARE(store.value(u"download/folder"_s), gone);
        remembered::save(store, s, true, true);
        QCOMPARE(store.value(u"download/folder"_s), home.path());
        s.Line.port = 4;
        remembered::save(store, s, false, true);
        QVERIFY(!remembered::enabled(store) && store.value(u"line/port"_s) == u"COM1"_s);
    }
};

QTEST_MAIN(RememberedTest)
#include "remembered_test.moc"
