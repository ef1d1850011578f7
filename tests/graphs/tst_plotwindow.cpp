#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QTest>
#include <QToolBar>

#include "GraphsFixture.h"
#include "tst_graphs.h"
#include "windows/graphs/ListPlot2.h"
#include "windows/graphs/Plot2Range.h"
#include "windows/graphs/PlotCommands.h"

namespace {

const QColor Blue(0, 0, 255);
const QColor Green(0, 255, 0);

// Rows of the colour in column x.
QList<int> rowsOf(const QImage& image, int x, const QColor& colour) {
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y) {
        if (pixelAt(image, x, y) == colour) {
            rows.append(y);
        }
    }
    return rows;
}

struct PlotFixture : GraphsFixture {
    GridModel grid;
    ListPlot2* plot() { return app.windows().find<ListPlot2>(); }
    QString label(const char* name) { return plot()->label(QString::fromLatin1(name))->text(); }
};

}  // namespace

void TestPlotWindow::labelsForScales_data() {
    QTest::addColumn<float>("ohmMax");
    QTest::addColumn<float>("voltMax");
    QTest::addColumn<QStringList>("texts");  // LblValTop, LblValMid, Lbl0, UpTop ... TopUp
    QTest::newRow("400 mOhm, 40 V")
        << 400.0f << 40.0f << QStringList{"400", "200", "0", "40", "20", "0", "-20", "-40"};
    QTest::newRow("4 Ohm, 4 V") << 4.0f << 4.0f
                                << QStringList{"4", "2", "0", "4", "2", "0", "-2", "-4"};
}

void TestPlotWindow::labelsForScales() {
    QFETCH(float, ohmMax);
    QFETCH(float, voltMax);
    QFETCH(QStringList, texts);
    PlotFixture f;
    FillReadings(f.grid, 12);
    PlotAllRows(f.app.transfer, f.grid, ohmMax, voltMax);
    ShowPlot(f.app, f.grid);
    QVERIFY(f.plot() && f.plot()->isVisible());
    QStringList got;
    for (const char* name :
         {"LblValTop", "LblValMid", "Lbl0", "UpTop", "UpMid", "Up0", "MidUp", "TopUp"}) {
        got.append(f.label(name));
    }
    QCOMPARE(got, texts);
    QCOMPARE(f.label("MidLbl"), QString());
    QCOMPARE(f.label("Label1"), QStringLiteral("TIME"));
    QCOMPARE(f.label("LblFun1"), QStringLiteral("Ohm"));
    QCOMPARE(f.label("LblFun2"), QStringLiteral("Voltage"));
    QCOMPARE(f.label("LblT2"), QStringLiteral("10:00:10"));  // row 6 of 12
    // Right-aligned labels end at their place, left-aligned ones start there, centred ones
    // straddle it (twips / 15).
    QCOMPARE(f.plot()->label(QStringLiteral("LblValTop"))->geometry().right() + 1, 62);
    QCOMPARE(f.plot()->label(QStringLiteral("UpTop"))->x(), 336);
    QCOMPARE(f.plot()->label(QStringLiteral("LblT3"))->geometry().right() + 1, 328);
    const QRect middle = f.plot()->label(QStringLiteral("LblT2"))->geometry();
    QVERIFY(qAbs(middle.center().x() - 198) <= 1);
    QCOMPARE(middle.y(), 272);
}

void TestPlotWindow::curvesDrawnBetweenAxes() {
    PlotFixture f;
    f.grid.setText(0, 3, QStringLiteral("Ohm"));
    f.grid.addItem(u"1\t2021/07/01\t10:00:00\t40\t4");
    f.grid.addItem(u"2\t2021/07/01\t10:00:02\t0\t-4");
    PlotAllRows(f.app.transfer, f.grid, 40, 4);
    ShowPlot(f.app, f.grid);
    const QImage& image = f.plot()->image();
    QCOMPARE(image.size(), QSize(446, 527));
    // Blue from the top line at the left axis (1000, 1000) to the middle line at the right
    // axis (5000, 4000); green from the top line down to the bottom line (5000, 7000).
    QCOMPARE(rowsOf(image, 200, Blue), QList<int>{167});
    QCOMPARE(rowsOf(image, 200, Green), QList<int>{267});
    QVERIFY(rowsOf(image, 66, Green).contains(66));  // both start on the left axis
    QCOMPARE(rowsOf(image, 68, Blue), QList<int>{68});
    QVERIFY(rowsOf(image, 330, Green).contains(462));
    QCOMPARE(rowsOf(image, 340, Blue), QList<int>());  // nothing beyond the right axis
    QCOMPARE(f.label("LblT1"), QStringLiteral("10:00:00"));
    QCOMPARE(f.label("LblT2"), QStringLiteral("10:00:00"));
    QCOMPARE(f.label("LblT3"), QStringLiteral("10:00:02"));
}

void TestPlotWindow::failuresCloseThePlot_data() {
    QTest::addColumn<float>("ohmMax");
    QTest::addColumn<float>("voltMax");
    QTest::addColumn<float>("lastRowBeyond");
    QTest::newRow("no resistance range known") << 0.0f << 4.0f << 0.0f;
    QTest::newRow("no voltage range known") << 40.0f << 0.0f << 0.0f;
    QTest::newRow("rows beyond the list") << 40.0f << 4.0f << 2.0f;
}

void TestPlotWindow::failuresCloseThePlot() {
    QFETCH(float, ohmMax);
    QFETCH(float, voltMax);
    QFETCH(float, lastRowBeyond);
    PlotFixture f;
    FillReadings(f.grid, 12);
    PlotAllRows(f.app.transfer, f.grid, ohmMax, voltMax);
    f.app.transfer.PlotLastRow += lastRowBeyond;
    ShowPlot(f.app, f.grid);
    QVERIFY(!f.plot());
    QVERIFY(f.dialogs.messages.isEmpty());
}

void TestPlotWindow::showPlotReplacesVisiblePlot() {
    PlotFixture f;
    FillReadings(f.grid, 3);
    PlotAllRows(f.app.transfer, f.grid, 40, 4);
    ShowPlot(f.app, f.grid);
    QPointer<ListPlot2> first = f.plot();
    ShowPlot(f.app, f.grid);
    QVERIFY(f.plot() && f.plot() != first.data());
    QTRY_VERIFY(!first);

    // A loaded but hidden window is used again.
    ListPlot2* hidden = f.plot();
    hidden->hide();
    ShowPlot(f.app, f.grid);
    QCOMPARE(f.plot(), hidden);

    hidden->findChild<QAction*>(QStringLiteral("Print"))->trigger();
    QVERIFY(hidden->toolbar()->isVisible());
    hidden->findChild<QAction*>(QStringLiteral("Limit"))->trigger();
    QVERIFY(f.app.windows().isVisible<Plot2Range>());
}
