#include <QTest>

#include "GridChecks.h"
#include "platform/widgets/Grid.h"
#include "tst_platform.h"

// A column is at least as wide as its header and its widest cell, however the text arrives; the
// width it is given (from a sample text) is a minimum.
void TestGrid::columnsFitTheirTexts_data() {
    QTest::addColumn<QString>("sample");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("cells");  // of column 1, one a row
    QTest::addColumn<int>("how");            // 0 a row at a time, 1 all at once, 2 cell by cell
    QTest::addColumn<bool>("sampleWidest");

    const QStringList ranges = {"4 Voltage", "40 Voltage"};
    for (int how = 0; how < 3; ++how) {
        const QByteArray by = QByteArray(" ") + QByteArray::number(how);
        QTest::newRow("sample widest" + by) << "AAAAAAAAAAAAAAAA"
                                            << "Ohm" << QStringList{"12.34", "OL"} << how << true;
        QTest::newRow("cells wider than the sample" + by) << "AV RangeA"
                                                          << "V Range" << ranges << how << false;
        QTest::newRow("a long cell" + by)
            << " 000 "
            << "No.s" << QStringList{"1", QString(300, u'W')} << how << false;
        QTest::newRow("not Latin-1" + by)
            << "AAA"
            << "Ohm" << QStringList{QString::fromUtf8("12.34 mΩ ≥ 40 Voltage")} << how << false;
    }
    QTest::newRow("header wider than the sample")
        << "AV RangeA"
        << "A header longer than its sample" << QStringList() << 0 << false;
}

void TestGrid::columnsFitTheirTexts() {
    QFETCH(QString, sample);
    QFETCH(QString, header);
    QFETCH(QStringList, cells);
    QFETCH(int, how);
    QFETCH(bool, sampleWidest);

    Grid grid(3);
    GridModel& model = grid.model();
    model.setText(0, 1, header);
    grid.setColWidthFromSample(1, sample);
    if (how == 0) {
        for (const QString& cell : cells) {
            model.addItem(QStringLiteral("x\t") + cell);
        }
    } else if (how == 1) {
        QVector<QStringList> rows;
        for (const QString& cell : cells) {
            rows.append({QStringLiteral("x"), cell});
        }
        model.appendRows(rows);
    } else {
        model.setRows(1 + int(cells.size()));
        for (int r = 0; r < cells.size(); ++r) {
            model.setText(r + 1, 1, cells.at(r));
        }
    }
    QCOMPARE(ClippedColumns(grid), QStringList());
    const int sampleWidth = grid.textWidth(sample);
    QVERIFY(grid.colWidth(1) >= sampleWidth);
    QCOMPARE(grid.colWidth(1) == sampleWidth, sampleWidest);

    // Set from the sample again, as a list does after a save, or in a larger font: still whole.
    grid.setColWidthFromSample(1, sample);
    QCOMPARE(ClippedColumns(grid), QStringList());
    const int rowHeight = grid.rowHeight();
    QFont large = grid.font();
    large.setPointSizeF(large.pointSizeF() * 2);
    grid.setFont(large);
    QCOMPARE(ClippedColumns(grid), QStringList());
    QVERIFY(grid.rowHeight() > rowHeight);
}
