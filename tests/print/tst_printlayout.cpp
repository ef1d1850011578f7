#include <QTest>

#include "RecordingPage.h"
#include "platform/GridModel.h"
#include "print/GridPrintLayout.h"
#include "tst_print.h"

namespace {

constexpr int A4 = 11906;  // twips

// One column holding the row number, so that a row can be found by its text.
void number(GridModel& grid, int rows) {
    grid.setRows(rows);
    for (int r = 0; r < rows; ++r) {
        grid.setText(r, 0, QString::number(r));
    }
}

}  // namespace

void TestPrintLayout::nextPrintLine_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("resetY");
    QTest::addColumn<int>("next");
    QTest::addColumn<QString>("number");  // page number printed, empty for none
    QTest::addColumn<QPoint>("at");
    QTest::newRow("room") << A4 << 850 << 450 << 1250 << QString() << QPoint();
    QTest::newRow("just below full") << A4 << 15499 << 450 << 15899 << QString() << QPoint();
    QTest::newRow("full") << A4 << 15500 << 450 << 450 << "P-2" << QPoint(5703, 15900);
    QTest::newRow("last row of a page")
        << A4 << 15650 << 450 << 450 << "P-2" << QPoint(5703, 16050);
    QTest::newRow("odd width rounds down")
        << 12241 << 15650 << 450 << 450 << "P-2" << QPoint(5870, 16050);
    QTest::newRow("other reset") << A4 << 15650 << 850 << 850 << "P-2" << QPoint(5703, 16050);
}

void TestPrintLayout::nextPrintLine() {
    QFETCH(int, width);
    QFETCH(int, y);
    QFETCH(int, resetY);
    QFETCH(int, next);
    QFETCH(QString, number);
    QFETCH(QPoint, at);
    RecordingPage page(width);
    QCOMPARE(NextPrintLine(y, 400, resetY, page), next);
    QCOMPARE(page.pageNumber(), number.isEmpty() ? 1 : 2);
    QCOMPARE(page.texts.size(), number.isEmpty() ? 0 : 1);
    if (!number.isEmpty()) {
        const RecordingPage::Text& t = page.texts.first();
        QCOMPARE(t.page, 2);
        QCOMPARE(t.text, number);
        QCOMPARE(QPoint(t.x, t.y), at);
    }
}

void TestPrintLayout::pages_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("lastY");  // of the last row, on the last page
    QTest::newRow("header only") << 1 << 1 << 850;
    QTest::newRow("38 rows fill page 1") << 38 << 1 << 15650;
    QTest::newRow("39th row starts page 2") << 39 << 2 << 450;
    QTest::newRow("77 rows fill page 2") << 77 << 2 << 15650;
    QTest::newRow("78th row starts page 3") << 78 << 3 << 450;
}

void TestPrintLayout::pages() {
    QFETCH(int, rows);
    QFETCH(int, pages);
    QFETCH(int, lastY);
    GridModel grid(1);
    number(grid, rows);
    RecordingPage page(A4);
    GridPrintLayout::print(page, grid);

    QCOMPARE(page.pageNumber(), pages);
    const QList<RecordingPage::Text> numbers = page.pageNumbers();
    QCOMPARE(numbers.size(), pages);
    for (int p = 1; p <= pages; ++p) {
        const RecordingPage::Text& n = numbers.at(p - 1);
        QCOMPARE(n.text, QStringLiteral("P-%1").arg(p));
        QCOMPARE(QPoint(n.x, n.y), QPoint(5703, 16050));
        QCOMPARE(n.page, p);
    }
    const QList<RecordingPage::Text> cells = page.cells();
    QCOMPARE(cells.size(), rows);
    // Page 1 holds 38 rows from y 850, every later page 39 from y 450, one pitch apart.
    for (int r = 0; r < rows; ++r) {
        const int onPage = r < 38 ? r : (r - 38) % 39;
        const int expectedPage = r < 38 ? 1 : 2 + (r - 38) / 39;
        QCOMPARE(cells.at(r).text, QStringLiteral("      %1").arg(r));
        QCOMPARE(cells.at(r).page, expectedPage);
        QCOMPARE(cells.at(r).y, (r < 38 ? 850 : 450) + 400 * onPage);
    }
    QCOMPARE(cells.last().y, lastY);
}

void TestPrintLayout::headerOnly() {
    GridModel grid(5);
    RecordingPage page(A4);
    GridPrintLayout::print(page, grid);

    QCOMPARE(page.fontSize, 11);
    QVERIFY(!page.textBeforeFont);
    QCOMPARE(page.pageNumber(), 1);
    QCOMPARE(page.pageNumbers().size(), 1);
    QCOMPARE(page.cells().size(), 5);
    // One ruled row around the text at 850: top, the five column rules, right, bottom.
    const QList<RecordingPage::Line> expected{
        {1, 500, 750, 11206, 750},    {1, 500, 750, 500, 1150},    {1, 2625, 750, 2625, 1150},
        {1, 4750, 750, 4750, 1150},   {1, 6875, 750, 6875, 1150},  {1, 9000, 750, 9000, 1150},
        {1, 11206, 750, 11206, 1150}, {1, 500, 1150, 11206, 1150},
    };
    QCOMPARE(page.lines, expected);
}

void TestPrintLayout::columns_data() {
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("textX");
    QTest::addColumn<int>("ruleX");
    const int text[] = {400, 2525, 4650, 6775, 8900};
    const int rule[] = {500, 2625, 4750, 6875, 9000};
    for (int c = 0; c < 5; ++c) {
        QTest::addRow("column %d", c) << c << text[c] << rule[c];
    }
}

void TestPrintLayout::columns() {
    QFETCH(int, col);
    QFETCH(int, textX);
    QFETCH(int, ruleX);
    GridModel grid(5);
    grid.addItem(u"1\t2021/07/01\t10:20:30\t12.34\t4.012");
    RecordingPage page(A4);
    GridPrintLayout::print(page, grid);

    const QList<RecordingPage::Text> cells = page.cells();
    QCOMPARE(cells.size(), 10);
    const RecordingPage::Text& cell = cells.at(5 + col);  // the data row
    QCOMPARE(cell.x, textX);
    QCOMPARE(cell.y, 1250);
    QCOMPARE(cell.text, QStringLiteral("      ") + grid.text(1, col));
    QVERIFY(page.lines.contains(RecordingPage::Line{1, ruleX, 1150, ruleX, 1550}));
}

void TestPrintLayout::batchesAndRowsReadOnce_data() {
    QTest::addColumn<int>("batch");
    QTest::addColumn<int>("rowsLater");  // the grid's rows after the first batch
    QTest::newRow("one row at a time") << 1 << 100;
    QTest::newRow("batches across a page break") << 7 << 100;
    QTest::newRow("grid cut while printing") << 7 << 3;
}

// Printing in batches gives the same pages as printing at once, whatever happens to the grid
// between batches: the rows present at the start are printed, those cut print empty.
void TestPrintLayout::batchesAndRowsReadOnce() {
    QFETCH(int, batch);
    QFETCH(int, rowsLater);
    GridModel grid(1);
    number(grid, 45);
    RecordingPage whole(A4);
    GridPrintLayout::print(whole, grid);

    RecordingPage page(A4);
    GridPrintLayout layout(page, grid);
    layout.printRows(batch);
    grid.setRows(rowsLater);
    while (!layout.finished()) {
        layout.printRows(batch);
    }
    QCOMPARE(layout.rowsPrinted(), 45);
    QCOMPARE(page.lines, whole.lines);
    QCOMPARE(page.texts.size(), whole.texts.size());
    for (int i = 0; i < page.texts.size(); ++i) {
        const RecordingPage::Text& got = page.texts.at(i);
        const RecordingPage::Text& want = whole.texts.at(i);
        QCOMPARE(QList<int>({got.page, got.x, got.y}), QList<int>({want.page, want.x, want.y}));
        // Rows printed after the cut and beyond it are empty.
        const int row = want.text.mid(6).toInt();
        const bool cut = want.text.startsWith(u' ') && row >= batch && row >= rowsLater;
        QCOMPARE(got.text, cut ? QStringLiteral("      ") : want.text);
    }
}
