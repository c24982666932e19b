// SPDX-License-Identifier: GPL-3.0-or-later
// A status text that does not fit: cut in the middle, the whole of it as the tooltip; one
// that fits exactly is whole, with no tooltip but its note.
#include <QtTest>

#include "app/ElidedLabel.h"

using namespace Qt::StringLiterals;

class ElidedLabelTest : public QObject {
    Q_OBJECT
private slots:
    void cutOnlyWhatDoesNotFit_data() {
        QTest::addColumn<int>("spare");  // pixels of room beyond the text's width
        QTest::addColumn<int>("margin");
        QTest::addColumn<QString>("note");
        QTest::addColumn<QString>("tip");
        const QString text = u"/home/surveyor/jobs/2026/SURVEY01.sdr"_s;
        QTest::newRow("room to spare") << 5 << 0 << QString() << QString();
        QTest::newRow("exactly fits") << 0 << 0 << QString() << QString();
        QTest::newRow("a pixel short") << -1 << 0 << QString() << text;
        QTest::newRow("exactly fits inside its margins") << 0 << 3 << QString() << QString();
        QTest::newRow("a pixel short of its margins") << -1 << 3 << QString() << text;
        QTest::newRow("a note, whole") << 0 << 0 << u"kept"_s << u"kept"_s;
        QTest::newRow("a note, cut") << -1 << 0 << u"kept"_s << text + u"\nkept"_s;
    }
    void cutOnlyWhatDoesNotFit() {
        QFETCH(int, spare);
        QFETCH(int, margin);
        QFETCH(QString, note);
        QFETCH(QString, tip);
        ElidedLabel label;
        label.setMargin(margin);
        label.setNote(note);
        label.setText(u"/home/surveyor/jobs/2026/SURVEY01.sdr"_s);
        const int width = label.fontMetrics().horizontalAdvance(label.text());
        label.show();  // a hidden label hears of its size only when shown
        label.resize(width + spare + 2 * margin + 2 * label.frameWidth(), 20);
        QCOMPARE(label.elided(), spare < 0);
        QCOMPARE(label.toolTip(), tip);
    }
};

QTEST_MAIN(ElidedLabelTest)
#include "elided_label_test.moc"
