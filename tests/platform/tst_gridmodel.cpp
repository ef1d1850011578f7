#include <QTest>

#include "platform/GridModel.h"
#include "tst_platform.h"

void TestGridModel::addItemSplitsAtTabs_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("five") << "1\t2021/07/01\t10:20:30\t12.34\t0.056"
                          << QStringList{"1", "2021/07/01", "10:20:30", "12.34", "0.056"};
    QTest::newRow("extra dropped") << "a\tb\tc\td\te\tf\tg" << QStringList{"a", "b", "c", "d", "e"};
    QTest::newRow("missing empty") << "a\tb" << QStringList{"a", "b", "", "", ""};
    QTest::newRow("trailing tab") << "a\tb\tc\td\te\t" << QStringList{"a", "b", "c", "d", "e"};
    QTest::newRow("empty") << "" << QStringList{"", "", "", "", ""};
}

void TestGridModel::addItemSplitsAtTabs() {
    QFETCH(QString, text);
    QFETCH(QStringList, cells);
    GridModel grid(5);
    grid.addItem(text);
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.row(1), cells);
    QCOMPARE(grid.rowCount(), 1);
}

void TestGridModel::headerIsRowZero() {
    GridModel grid(5);
    grid.setText(0, 3, QStringLiteral("Ohm"));
    QCOMPARE(grid.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("Ohm"));
    grid.addItem(u"1\tx");
    QCOMPARE(grid.data(grid.index(0, 1), Qt::DisplayRole).toString(), QStringLiteral("x"));
    QCOMPARE(grid.text(5, 0), QString());
    QCOMPARE(grid.text(-1, 0), QString());
}

void TestGridModel::setRowsCutsAndExtends() {
    GridModel grid(5);
    grid.appendRows({{"1"}, {"2"}, {"3"}});
    QCOMPARE(grid.Rows(), 4);
    grid.setRows(2);
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.text(1, 0), QStringLiteral("1"));
    grid.setRows(0);
    QCOMPARE(grid.Rows(), 1);
    grid.setRows(3);
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.row(2).size(), 5);
}
