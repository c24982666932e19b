// SPDX-License-Identifier: GPL-3.0-or-later
// The platform layer's own rules: which mounted volumes are offered as drives, which
// devices a COM name tries, and where a window fits on the screen.
#include <QWidget>
#include <QtTest>

#include "platform/Drives.h"
#include "platform/QtSerialPort.h"
#include "platform/Screen.h"

using namespace Qt::StringLiterals;

class PlatformTest : public QObject {
    Q_OBJECT
private slots:
    void removableVolumesEachOnceInPathOrder_data() {
        QTest::addColumn<QString>("mounted");  // name:root, separated by blanks; "-" no name
        QTest::addColumn<QString>("offered");
        QTest::newRow("none") << u"-:/ -:/boot -:/home"_s << QString();
        QTest::newRow("each kind") << u"B:/run/media/u/B -:/mnt/disk A:/media/u/A -:/srv"_s
                                   << u"A:/media/u/A disk:/mnt/disk B:/run/media/u/B"_s;
        QTest::newRow("mounted twice") << u"X:/media/X -:/media/X"_s << u"X:/media/X"_s;
        QTest::newRow("a name alike") << u"-:/mediaX -:/mnt"_s << QString();
    }
    void removableVolumesEachOnceInPathOrder() {
        QFETCH(QString, mounted);
        QFETCH(QString, offered);
        QList<platform::Drive> volumes;
        for (const QString& v : mounted.split(u' '))
            volumes.append({v.section(u':', 0, 0) == u"-"_s ? QString() : v.section(u':', 0, 0),
                            v.section(u':', 1)});
        QStringList seen;
        for (const platform::Drive& d : platform::removableDrives(volumes))
            seen << d.name + u':' + d.path;
        QCOMPARE(seen.join(u' '), offered);
    }

    void theDevicesACOMNameTries_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("tried");
        QTest::newRow("COM1") << u"COM1"_s << u"/dev/ttyUSB0 /dev/ttyACM0 /dev/ttyS0"_s;
        QTest::newRow("COM4") << u"COM4"_s << u"/dev/ttyUSB3 /dev/ttyACM3 /dev/ttyS3"_s;
        QTest::newRow("COM0") << u"COM0"_s << u"COM0"_s;
        QTest::newRow("no number") << u"COMx"_s << u"COMx"_s;
        QTest::newRow("a device") << u"/dev/pts/3"_s << u"/dev/pts/3"_s;
    }
    void theDevicesACOMNameTries() {
        QFETCH(QString, name);
        QFETCH(QString, tried);
        QCOMPARE(platform::comPortCandidates(name).join(u' '), tried);
    }

    // On the test's 800 x 800 screen, with room for a frame of 4 and a title bar of 32.
    void aWindowFitsOnTheScreenFrameIncluded_data() {
        QTest::addColumn<QRect>("asked");  // a null place: where the desktop puts it
        QTest::addColumn<QRect>("fitted");
        QTest::newRow("fits") << QRect(10, 20, 300, 200) << QRect(10, 20, 300, 200);
        QTest::newRow("too big") << QRect(0, 0, 900, 900) << QRect(0, 0, 792, 764);
        QTest::newRow("past the edges") << QRect(700, 700, 300, 200) << QRect(492, 564, 300, 200);
        QTest::newRow("before them") << QRect(-50, -9, 300, 200) << QRect(0, 0, 300, 200);
        QTest::newRow("placed by the desktop") << QRect(0, 0, 900, 100) << QRect(0, 0, 792, 100);
    }
    void aWindowFitsOnTheScreenFrameIncluded() {
        QFETCH(QRect, asked);
        QFETCH(QRect, fitted);
        QWidget window;
        window.resize(asked.size());
        if (QTest::currentDataTag() != QByteArrayView("placed by the desktop"))
            window.move(asked.topLeft());
        platform::fitOnScreen(&window);
        QCOMPARE(window.geometry(), fitted);
    }
};

QTEST_MAIN(PlatformTest)
#include "platform_test.moc"
