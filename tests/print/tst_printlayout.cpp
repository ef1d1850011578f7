#include <QTest>
#include <algorithm>
#include <tuple>

#include "RecordingPage.h"
#include "core/layout/GridPrintLayout.h"
#include "core/layout/PageRules.h"
#include "platform/GridModel.h"
#include "tst_print.h"

namespace {

constexpr int A4 = 11906;  // twips

// One column holding the row number.
void number(GridModel& grid, int rows) {
    grid.setRows(rows);
    for (int r = 0; r < rows; ++r) {
        grid.setText(r, 0, QString::number(r));
    }
}

}  // namespace

void TestPrint::nextPrintLine_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("resetY");
    QTest::addColumn<int>("next");
    QTest::addColumn<QString>("foot");  // "page x y text" of the page number, if a page starts
    QTest::newRow("room") << A4 << 850 << 450 << 1250 << "";
    QTest::newRow("just below full") << A4 << 15499 << 450 << 15899 << "";
    QTest::newRow("full") << A4 << 15500 << 450 << 450 << "2 5703 15900 P-2";
    QTest::newRow("last row of a page") << A4 << 15650 << 450 << 450 << "2 5703 16050 P-2";
    QTest::newRow("odd width rounds down") << 12241 << 15650 << 450 << 450 << "2 5870 16050 P-2";
    QTest::newRow("other reset") << A4 << 15650 << 850 << 850 << "2 5703 16050 P-2";
}

void TestPrint::nextPrintLine() {
    QFETCH(int, width);
    QFETCH(int, y);
    QFETCH(int, resetY);
    QFETCH(int, next);
    QFETCH(QString, foot);
    RecordingPage page(width);
    QCOMPARE(NextPrintLine(y, 400, resetY, page), next);
    QCOMPARE(page.texts, foot.isEmpty() ? QStringList() : QStringList{foot});
    QCOMPARE(page.pageNumber(), foot.isEmpty() ? 1 : 2);
}

void TestPrint::pages_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    QTest::newRow("header only") << 1 << 1;
    QTest::newRow("38 rows fill page 1") << 38 << 1;
    QTest::newRow("39th row starts page 2") << 39 << 2;
    QTest::newRow("77 rows fill page 2") << 77 << 2;
    QTest::newRow("78th row starts page 3") << 78 << 3;
}

// Page 1 holds 38 rows from y 850, every later page 39 from y 450; each page's number is at
// its foot, and no page is left empty.
void TestPrint::pages() {
    QFETCH(int, rows);
    QFETCH(int, pages);
    GridModel grid(1);
    number(grid, rows);
    RecordingPage page(A4);
    GridPrintLayout::print(page, grid);

    QStringList expected{QStringLiteral("1 5703 16050 P-1")};
    for (int r = 0; r < rows; ++r) {
        const int onPage = r < 38 ? 1 : 2 + (r - 38) / 39;
        if (r >= 38 && (r - 38) % 39 == 0) {
            expected.append(QStringLiteral("%1 5703 16050 P-%1").arg(onPage));
        }
        const int y = r < 38 ? 850 + 400 * r : 450 + 400 * ((r - 38) % 39);
        expected.append(QStringLiteral("%1 400 %2       %3").arg(onPage).arg(y).arg(r));
    }
    QCOMPARE(page.texts, expected);
    QCOMPARE(page.pageNumber(), pages);
}

void TestPrint::headerOnlyWithFiveColumns() {
    GridModel grid(5);
    for (int c = 0; c < 5; ++c) {
        grid.setText(0, c, QString(QChar(u'a' + c)));
    }
    RecordingPage page(A4);
    GridPrintLayout::print(page, grid);

    QCOMPARE(page.fontSize, 11);
    const QStringList texts{"1 5703 16050 P-1",   "1 400 850       a",  "1 2525 850       b",
                            "1 4650 850       c", "1 6775 850       d", "1 8900 850       e"};
    QCOMPARE(page.texts, texts);
    // One ruled row around the text at 850: top, the five column rules, right, bottom.
    const QList<QList<int>> lines{
        {1, 500, 750, 11206, 750},    {1, 500, 750, 500, 1150},    {1, 2625, 750, 2625, 1150},
        {1, 4750, 750, 4750, 1150},   {1, 6875, 750, 6875, 1150},  {1, 9000, 750, 9000, 1150},
        {1, 11206, 750, 11206, 1150}, {1, 500, 1150, 11206, 1150},
    };
    QCOMPARE(page.lines, lines);
}

// Batches across page breaks print what one pass prints; rows added meanwhile are left out.
void TestPrint::batchesPrintAsOne() {
    GridModel grid(1);
    number(grid, 80);
    RecordingPage whole(A4);
    GridPrintLayout::print(whole, grid);

    RecordingPage batched(A4);
    GridPrintLayout layout(batched, grid);
    layout.printRows(7);
    grid.addItem(u"added");
    while (!layout.finished()) {
        layout.printRows(7);
    }
    QCOMPARE(batched.texts, whole.texts);
    QCOMPARE(batched.lines, whole.lines);
}

// Rules along one line that overlap or touch are joined; the rest stay apart.
void TestPrint::mergedRules_data() {
    QTest::addColumn<QVector<QLine>>("lines");
    QTest::addColumn<QVector<QLine>>("merged");
    QTest::newRow("touching columns of two rows")
        << QVector<QLine>{{500, 750, 500, 1150}, {500, 1150, 500, 1550}}
        << QVector<QLine>{{500, 750, 500, 1550}};
    QTest::newRow("a gap stays") << QVector<QLine>{{500, 750, 500, 1150}, {500, 1151, 500, 1550}}
                                 << QVector<QLine>{{500, 750, 500, 1150}, {500, 1151, 500, 1550}};
    QTest::newRow("a row's bottom is the next row's top")
        << QVector<QLine>{{500, 1150, 11206, 1150}, {500, 1150, 11206, 1150}}
        << QVector<QLine>{{500, 1150, 11206, 1150}};
    QTest::newRow("overlap and containment, any order, either direction")
        << QVector<QLine>{{10, 5, 40, 5}, {0, 5, 20, 5}, {25, 5, 30, 5}, {60, 5, 50, 5}}
        << QVector<QLine>{{0, 5, 40, 5}, {50, 5, 60, 5}};
    QTest::newRow("different columns and rows apart")
        << QVector<QLine>{{500, 0, 500, 10}, {600, 10, 600, 20}, {0, 30, 10, 30}, {10, 40, 20, 40}}
        << QVector<QLine>{{500, 0, 500, 10}, {600, 10, 600, 20}, {0, 30, 10, 30}, {10, 40, 20, 40}};
    QTest::newRow("a slanted line as it is") << QVector<QLine>{{0, 0, 10, 10}, {10, 10, 20, 20}}
                                             << QVector<QLine>{{0, 0, 10, 10}, {10, 10, 20, 20}};
    QTest::newRow("a point") << QVector<QLine>{{5, 5, 5, 5}} << QVector<QLine>{{5, 5, 5, 5}};
    QTest::newRow("none") << QVector<QLine>{} << QVector<QLine>{};
}

void TestPrint::mergedRules() {
    QFETCH(QVector<QLine>, lines);
    QFETCH(QVector<QLine>, merged);
    auto sorted = [](QVector<QLine> v) {
        std::sort(v.begin(), v.end(), [](const QLine& a, const QLine& b) {
            return std::tuple(a.x1(), a.y1(), a.x2(), a.y2()) <
                   std::tuple(b.x1(), b.y1(), b.x2(), b.y2());
        });
        return v;
    };
    QCOMPARE(sorted(PageRules::Merged(lines)), sorted(merged));
}
