// SPDX-License-Identifier: GPL-3.0-or-later
// The plan of a job's points: what an exported drawing holds, where a failed export
// leaves the earlier file, and the view's scale, zoom and pick.
#include "plan/Plan.h"
#include "Rig.h"
#include "points/PlanView.h"

using namespace testing_support;

namespace {

// The points of `text`, "point,code,east,north;..." (a line without north has no position),
// each %1 replaced by 0, 1, ... `repeat` times.
quorvel::PointList points(const QString& text, int repeat = 1) {
    quorvel::PointList list;
    for (int i = 0; i < repeat; ++i)
        for (const QString& p : QString(text).replace(u"%1"_s, QString::number(i)).split(u';')) {
            const QStringList f = p.split(u',');
            quorvel::PointRow& row = list.rows.emplace_back();
            row.point = f[0].toStdString();
            row.code = f[1].toStdString();
            row.placed = f.size() > 3;
            row.east = f[2].toDouble();
            row.north = row.placed ? f[3].toDouble() : 0;
        }
    return list;
}

// The texts of a drawing, in the order drawn.
QStringList texts(const QByteArray& svg) {
    QStringList all;
    static const QRegularExpression text(u"<text[^>]*>([^<]*)</text>"_s);
    for (const auto& m : text.globalMatch(QString::fromUtf8(svg))) all << m.captured(1).trimmed();
    return all;
}

}  // namespace

class PlanTest : public QObject {
    Q_OBJECT
private slots:
    // An 800 x 600 drawing: the numbers, the legend, the scale bar, the north arrow and
    // how many numbers are shown; the whole plan, or where a region is given, that part.
    void drawn_data() {
        QTest::addColumn<QString>("points");
        QTest::addColumn<int>("repeat");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<QRectF>("region");
        QTest::addColumn<QString>("texts");  // all of them, where given; every code at least
        // clang-format off
        QTest::newRow("one point, one code") << "101,TR ,5,5" << 1 << "m" << QRectF() << "101 TR 0.2 m N X";
        QTest::newRow("codes sorted, none is (no code)") << "1,B ,0,0;2,,10,0;3,A,0,10;4,B,10,10" << 1 << ""
            << QRectF() << "1 2 3 4 (no code) A B 2 N X";
        QTest::newRow("lines without a position left out") << "1,A,0,0;2,A,-;3,A,100,0" << 1 << "ft"
            << QRectF() << "1 3 A 20 ft N X";
        QTest::newRow("numbers on one spot hide each other") << "1,A,0,0;2,A,0,0;3,A,0,0" << 1 << ""
            << QRectF() << "1 A 0.2 N X 1 of 3 labels shown: zoom in";
        QTest::newRow("a point without a number hides none") << ",A,0,0;7,A,0,0" << 1 << "" << QRectF()
            << "7 A 0.2 N X";
        QTest::newRow("a region: that part") << "1,A,0,0;2,A,100,0" << 1 << "m" << QRectF(-5, -5, 10, 10)
            << "1 A 2 m N X";
        QTest::newRow("forty codes, in columns") << "%1,C%1,%1,0" << 40 << "" << QRectF() << "";
        // clang-format on
    }
    void drawn() {
        QFETCH(QString, points);
        QFETCH(int, repeat);
        QFETCH(QString, unit);
        QFETCH(QRectF, region);
        QFETCH(QString, texts);
        quorvel::PointList list = ::points(points, repeat);
        list.counts.distanceUnit = unit.toStdString();
        const plan::Plan plan = plan::Plan::from(list, quorvel::Axes::XNorthYEast);
        QTemporaryDir dir;
        QString error;
        QVERIFY(plan::writeSvg(plan, dir.filePath(u"p.svg"_s), {800, 600}, &error, region) &&
                plan::writePng(plan, dir.filePath(u"p.png"_s), {800, 600}, &error, region));
        QCOMPARE(QImage(dir.filePath(u"p.png"_s)).size(), QSize(800, 600));
        const QStringList drawn = ::texts(readFile(dir.filePath(u"p.svg"_s)));
        if (!texts.isEmpty()) QCOMPARE(drawn.join(u' '), texts);
        for (const QString& code : plan.legend) QVERIFY2(drawn.contains(code), qPrintable(code));
    }

    // Every code its own pairing of colour and symbol.
    void markers() {
        QSet<QPair<QRgb, int>> seen;
        for (int i = 0; i < 500; ++i)
            seen.insert({plan::codeMarker(i).colour.rgb(), int(plan::codeMarker(i).symbol)});
        QCOMPARE(seen.size(), 500);
    }

    // On a full disk, an export says why and leaves the earlier file as it was.
    void failedExport_data() {
        QTest::addColumn<bool>("svg");
        QTest::newRow("SVG") << true;
        QTest::newRow("PNG") << false;
    }
    void failedExport() {
        QFETCH(bool, svg);
        QTemporaryDir dir;
        const QString old = dir.filePath(u"old"_s);
        QVERIFY(writeFile(old, "old"));
        const plan::Plan plan = plan::Plan::from(::points(u"1,A,0,0;2,A,10,10"_s), {});
        QString why;
        const FileSizeLimit limit(100);
        QVERIFY(!(svg ? plan::writeSvg : plan::writePng)(plan, old, {800, 600}, &why, {}));
        QCOMPARE(why, u"File too large"_s);
        QCOMPARE(readFile(old), "old");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"old"_s});
    }

    // The view fits the plan at one scale on both axes, zooms by the wheel within limits,
    // and a click (not a drag) picks the first point within 8 pixels.
    void view_data() {
        QTest::addColumn<int>("wheel");   // steps, in (+) or out (-), before the click
        QTest::addColumn<bool>("drag");   // the mouse moves 10 pixels before it is released
        QTest::addColumn<QPointF>("at");  // east, north
        QTest::addColumn<int>("row");     // picked
        QTest::addColumn<double>("upp");  // units per pixel; 0: as fitted
        // clang-format off
        QTest::newRow("a point") << 0 << false << QPointF(0, 20) << 3 << 0.;
        QTest::newRow("east of the middle") << 0 << false << QPointF(30, 0) << 2 << 0.;
        QTest::newRow("beside one") << 0 << false << QPointF(0.5, 0) << 0 << 0.;
        QTest::newRow("between them") << 0 << false << QPointF(15, 10) << -1 << 0.;
        QTest::newRow("a drag") << 0 << true << QPointF(0, 20) << -1 << 0.;
        QTest::newRow("zoomed in") << 3 << false << QPointF(30, 20) << 4 << 0.;
        QTest::newRow("in as far as a micrometre") << 200 << false << QPointF(15, 10) << -1 << 1e-6;
        QTest::newRow("out as far as 10 km") << -200 << false << QPointF(1e9, 0) << -1 << 1e7;
        // clang-format on
    }
    void view() {
        QFETCH(int, wheel);
        QFETCH(bool, drag);
        QFETCH(QPointF, at);
        QFETCH(int, row);
        QFETCH(double, upp);
        const plan::Plan plan =
            plan::Plan::from(::points(u"1,A,0,0;2,A,-;3,A,30,0;4,B,0,20;5,B,30,20;6,B,30,0"_s), {});
        PlanView view;
        view.resize(400, 300);
        view.setPlan(&plan);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QWidget* port = view.viewport();
        const QPoint middle = port->rect().center();
        const auto fitted = [&] {  // 30 m square and 5 % around it, 2 pixels inside the view
            return 33 / (std::min(port->width(), port->height()) - 4.0);
        };
        QCOMPARE(view.unitsPerPixel(), fitted());
        for (int i = 0; i < std::abs(wheel); ++i) {
            QWheelEvent e(middle, port->mapToGlobal(middle), {}, {0, wheel > 0 ? 120 : -120}, {},
                          {}, Qt::NoScrollPhase, false);
            QApplication::sendEvent(port, &e);
        }
        const double scale = view.unitsPerPixel();
        if (upp > 0)
            QVERIFY2(scale <= upp * 1.2 && scale >= upp / 1.2, qPrintable(QString::number(scale)));
        // Without a turn of the wheel, the middle of the view is the middle of the points.
        const QPointF centre = wheel ? view.visibleRegion().center() : QPointF(15, 10);
        QVERIFY(std::abs(view.visibleRegion().width() - port->width() * scale) < scale);
        const QPointF offset = (at - centre) / scale;  // north is up
        const QPoint click = middle + QPointF(offset.x(), -offset.y()).toPoint();
        QList<int> picked;
        connect(&view, &PlanView::rowPicked, this, [&](int r) { picked << r; });
        QTest::mousePress(port, Qt::LeftButton, {}, drag ? click - QPoint(10, 0) : click);
        QTest::mouseRelease(port, Qt::LeftButton, {}, click);
        QCOMPARE(picked, row < 0 ? QList<int>() : QList<int>{row});
        QCOMPARE(view.selectedRow(), row);
        // Until the user zooms or pans, a resize shows the whole plan again.
        view.resize(500, 300);
        QCOMPARE(view.unitsPerPixel(), wheel || drag ? scale : fitted());
        view.setSelectedRow(4);  // a corner out of view is brought into it
        QVERIFY(view.visibleRegion().contains(QPointF(30, 20)));
    }
};

QTEST_MAIN(PlanTest)
#include "plan_test.moc"
