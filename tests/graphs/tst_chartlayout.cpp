#include <QTest>

#include "core/layout/StripChartLayout.h"
#include "core/layout/Sweep.h"
#include "tst_graphs.h"

void TestChartLayout::plotWidth_data() {
    QTest::addColumn<double>("clientWidth");
    QTest::addColumn<float>("plotWidth");
    QTest::newRow("40 + 89") << 129.0 << 60.0f;
    QTest::newRow("exact multiple") << 130.0 << 90.0f;
    QTest::newRow("half rounds to even up") << 69.5 << 30.0f;
    QTest::newRow("half rounds to even down") << 70.5 << 30.0f;
    QTest::newRow("narrower than the margin") << 10.0 << 0.0f;
    QTest::newRow("full screen") << 1920.0 << 1860.0f;
}

void TestChartLayout::plotWidth() {
    QFETCH(double, clientWidth);
    QFETCH(float, plotWidth);
    QCOMPARE(StripChartLayout::plotWidthFor(clientWidth), plotWidth);
}

void TestChartLayout::scaleLabels_data() {
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("0..50") << 0 << 50 << 4 << QStringList{"0", "12.5", "25", "37.5", "50"};
    QTest::newRow("-40..40") << -40 << 40 << 8 << QStringList{"-40", "-30", "-20", "-10", "0",
                                                              "10",  "20",  "30",  "40"};
    QTest::newRow("eighths") << 0 << 3 << 8
                             << QStringList{"0",     "0.375", "0.75",  "1.125", "1.5",
                                            "1.875", "2.25",  "2.625", "3"};
}

void TestChartLayout::scaleLabels() {
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, n);
    QFETCH(QStringList, texts);
    const StripChartLayout l = StripChartLayout::forClient(129, 260);  // PlotHeight 160
    const auto labels = l.scaleLabels(min, max, n);
    QStringList got;
    for (const auto& label : labels) {
        got.append(label.text);
    }
    QCOMPARE(got, texts);
    QCOMPARE(labels.first().centreY, l.OriginY);
    QCOMPARE(labels.last().centreY, l.OriginY - 160);
}

void TestChartLayout::valueHeight_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("under");
    QTest::addColumn<float>("height");  // plot height 100
    const QString dashes = QStringLiteral("----");
    const QString minusOL = QStringLiteral("-OL");
    QTest::newRow("OL 5 above the top") << "OL" << 0 << 40 << dashes << 105.0f;
    QTest::newRow("above max") << "40.01" << 0 << 40 << dashes << 105.0f;
    QTest::newRow("max is inside") << "40" << 0 << 40 << dashes << 100.0f;
    QTest::newRow("---- 3 below the bottom") << "----" << 0 << 40 << dashes << -3.0f;
    QTest::newRow("below min") << "-0.01" << 0 << 40 << dashes << -3.0f;
    QTest::newRow("a quarter of 0..50") << "12.5" << 0 << 50 << dashes << 25.0f;
    QTest::newRow("empty reads 0") << "" << 0 << 40 << dashes << 0.0f;
    QTest::newRow("voltage -OL at the floor") << "-OL" << -4 << 4 << minusOL << -3.0f;
    QTest::newRow("voltage negative") << "-1.234" << -4 << 4 << minusOL << 34.575f;
    QTest::newRow("---- on voltage reads 0") << "----" << -4 << 4 << minusOL << 50.0f;
    QTest::newRow("-OL below a negative scale") << "-OL" << -40 << -10 << minusOL << -3.0f;
    QTest::newRow("zero span: bottom edge") << "5" << 5 << 5 << dashes << 0.0f;
    QTest::newRow("zero span: above") << "6" << 5 << 5 << dashes << 105.0f;
}

void TestChartLayout::valueHeight() {
    QFETCH(QString, text);
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(QString, under);
    QFETCH(float, height);
    QCOMPARE(StripChartLayout::valueHeight(text, min, max, 100, under), height);
}

void TestChartLayout::wrapDrawsNoJoiningSegment() {
    Sweep sweep;
    sweep.restart(1);
    QCOMPARE(sweep.advance(1, 60), 0.0f);
    QVERIFY(!sweep.plot(40, 100));  // the first point has nothing to join
    for (int i = 1; i < 60; ++i) {
        sweep.advance(1, 60);
        QVERIFY(sweep.plot(40, 100));
    }
    QCOMPARE(sweep.TraceX(), 59.0f);
    QCOMPARE(sweep.advance(1, 60), 0.0f);
    QVERIFY(!sweep.plot(40, 50));
    sweep.advance(1, 60);
    const auto segment = sweep.plot(40, 60);  // the point after the wrap starts a segment
    QVERIFY(segment);
    QCOMPARE(*segment, QLineF(40, 50, 41, 60));
}

void TestChartLayout::marks_data() {
    QTest::addColumn<float>("traceX");
    QTest::addColumn<Sweep::Mark>("mark");
    QTest::newRow("left edge") << 0.0f << Sweep::Mark::TimeLine;
    QTest::newRow("90") << 90.0f << Sweep::Mark::HalfMark;
    QTest::newRow("59.5 rounds to 60") << 59.5f << Sweep::Mark::TimeLine;
    QTest::newRow("60.5 rounds to 60") << 60.5f << Sweep::Mark::TimeLine;
    QTest::newRow("29.5 rounds to 30") << 29.5f << Sweep::Mark::HalfMark;
    QTest::newRow("30.5 rounds to 30") << 30.5f << Sweep::Mark::HalfMark;
    QTest::newRow("61") << 61.0f << Sweep::Mark::None;
}

void TestChartLayout::marks() {
    QFETCH(float, traceX);
    QFETCH(Sweep::Mark, mark);
    QCOMPARE(Sweep::markAt(traceX), mark);
}
