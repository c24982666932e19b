// SPDX-License-Identifier: GPL-3.0-or-later
// The table of a file's coordinate lines: the sorting and filtering in front of it, and
// what its cells say.
#include <QtTest>

#include "points/PointTable.h"

using namespace Qt::StringLiterals;
using Reason = quorvel::NotWrittenReason;

class PointTableTest : public QObject {
    Q_OBJECT
private slots:
    // The lines in the order shown, by a column and a filter of warnings. Numbers sort by
    // value before any text; lines alike keep the file's order both ways.
    void sorted_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<int>("mask");
        QTest::addColumn<QString>("shown");  // the lines; by status, the status column
        // clang-format off
        QTest::newRow("line") << 0 << false << 0 << "1 2 3 4 5";
        QTest::newRow("line, descending") << 0 << true << 0 << "5 4 3 2 1";
        QTest::newRow("point") << 1 << false << 0 << "2 1 5 4 3";
        QTest::newRow("point, descending") << 1 << true << 0 << "3 4 1 5 2";
        QTest::newRow("code") << 2 << false << 0 << "3 2 1 4 5";
        QTest::newRow("code, descending") << 2 << true << 0 << "5 1 4 2 3";
        QTest::newRow("X") << 3 << false << 0 << "2 1 3 5 4";
        QTest::newRow("X, descending") << 3 << true << 0 << "4 5 1 3 2";
        QTest::newRow("Y, all blank") << 4 << false << 0 << "1 2 3 4 5";
        QTest::newRow("Y, all blank, descending") << 4 << true << 0 << "1 2 3 4 5";
        QTest::newRow("Z") << 5 << false << 0 << "4 1 5 3 2";
        QTest::newRow("Z, descending") << 5 << true << 0 << "2 3 1 5 4";
        QTest::newRow("status: written first, then by reason") << 6 << false << 0
            << "written|reduced from station S1; number used at another position; at 0/0|"
               "written; number used at another position; at 0/0|not written: without Z|"
               "not written: with a second value that is not a number; observed from station S1; far from the rest";
        QTest::newRow("status, descending") << 6 << true << 0 << "4 2 3 5 1";
        QTest::newRow("numbers at two positions") << 0 << false << 1 << "3 5";
        QTest::newRow("far") << 0 << false << 4 << "4";
        QTest::newRow("not written, by point") << 1 << false << 8 << "2 4";
        QTest::newRow("problems only") << 0 << true << 15 << "5 4 3 2";
        // clang-format on
    }
    void sorted() {
        QFETCH(int, column);
        QFETCH(bool, descending);
        QFETCH(int, mask);
        QFETCH(QString, shown);
        quorvel::PointList list;
        using R = quorvel::PointRow;
        list.rows = {R{1, "10", "B", "5.0", "", "2.5", {}, "", false, 0, 0, 0},
                     R{2, "9", "A", "-1.5", "", "", Reason::NoZ, "", false, 0, 0, 8},
                     R{3, "A", "", "5.0", "", "10", {}, "S1", false, 0, 0, 3},
                     R{4, "", "B", "x1", "", "-3", Reason::SecondNotNumber, "S1", false, 0, 0, 12},
                     R{5, "10", "C", "+20", "", "2.5", {}, "", false, 0, 0, 3}};
        PointTableModel model;
        model.setPoints(&list);
        PointFilter filter(&model);
        filter.setWarningMask(static_cast<std::uint8_t>(mask));
        filter.sort(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        const bool texts = column == PointTableModel::Status && !descending;
        QStringList lines;
        for (int r = 0; r < filter.rowCount(); ++r) {
            lines << filter.index(r, texts ? column : 0).data().toString();
            // The whole status as the status column's tooltip alone; a line with a warning
            // marked; numbers to the right.
            const QModelIndex status = filter.index(r, PointTableModel::Status);
            QCOMPARE(status.data(Qt::ToolTipRole), status.data());
            QVERIFY(!filter.index(r, PointTableModel::Z).data(Qt::ToolTipRole).isValid());
            QCOMPARE(status.data(Qt::BackgroundRole).isValid(),
                     model.row(filter.mapToSource(status).row()).warnings != 0);
            QCOMPARE(filter.index(r, PointTableModel::X).data(Qt::TextAlignmentRole).toInt() &
                         Qt::AlignRight,
                     Qt::AlignRight);
        }
        QCOMPARE(lines.join(texts ? u'|' : u' '), shown);
    }
};

QTEST_MAIN(PointTableTest)
#include "point_table_test.moc"
