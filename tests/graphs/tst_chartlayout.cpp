#include <QTest>

#include "graphs/StripChartLayout.h"
#include "graphs/Sweep.h"
#include "tst_graphs.h"

void TestChartLayout::plotWidth_data() {
    QTest::addColumn<double>("clientWidth");
    QTest::addColumn<float>("plotWidth");
    QTest::newRow("40 + 89") << 129.0 << 60.0f;
    QTest::newRow("exact multiple") << 130.0 << 90.0f;
    QTest::newRow("one short of the next") << 159.0 << 90.0f;
    QTest::newRow("half rounds to even up") << 69.5 << 30.0f;
    QTest::newRow("half rounds to even down") << 70.5 << 30.0f;
    QTest::newRow("no room") << 40.0 << 0.0f;
    QTest::newRow("narrower than the margin") << 10.0 << 0.0f;
    QTest::newRow("full screen") << 1920.0 << 1860.0f;
}

void TestChartLayout::plotWidth() {
    QFETCH(double, clientWidth);
    QFETCH(float, plotWidth);
    QCOMPARE(StripChartLayout::plotWidthFor(clientWidth), plotWidth);
}

void TestChartLayout::frameForClient() {
    const StripChartLayout l = StripChartLayout::forClient(129, 200);
    QCOMPARE(l.OriginX, 40.0f);
    QCOMPARE(l.OriginY, 173.0f);
    QCOMPARE(l.PlotHeight, 100.0f);
    QCOMPARE(l.PlotWidth, 60.0f);
    QCOMPARE(l.verticalAxis(), QLineF(38, 178, 38, 68));
    QCOMPARE(l.horizontalAxis(), QLineF(38, 179, 102, 179));
    QCOMPARE(l.plotArea(), QRectF(QPointF(40, 73), QPointF(100, 173)));
    QCOMPARE(l.unitCaptionTopLeft(), QPointF(8, 48));
    QCOMPARE(l.sweepStrip(10, 1), QRectF(QPointF(50, 68), QPointF(51, 176)));
    QCOMPARE(l.timeLine(60), QLineF(100, 173, 100, 63));
    QCOMPARE(l.halfMark(30), QLineF(70, 125.5, 70, 120.5));
    QCOMPARE(l.timeLabelBox(0, 50), QRectF(QPointF(15, 183), QPointF(65, 193)));
    QCOMPARE(l.centreLine(), QLineF(38, 123, 102, 123));
}

void TestChartLayout::ticks_data() {
    QTest::addColumn<int>("divisions");
    QTest::addColumn<int>("shortTicks");
    QTest::addColumn<int>("longTicks");
    QTest::newRow("resistance") << 8 << 9 << 5;
    QTest::newRow("voltage") << 16 << 17 << 9;
}

void TestChartLayout::ticks() {
    QFETCH(int, divisions);
    QFETCH(int, shortTicks);
    QFETCH(int, longTicks);
    const StripChartLayout l = StripChartLayout::forClient(129, 260);  // PlotHeight 160
    QVector<double> shortY;
    QVector<double> longY;
    for (const QLineF& tick : l.ticks(divisions)) {
        QCOMPARE(tick.x1(), 38.0);
        QCOMPARE(tick.y1(), tick.y2());
        QVERIFY(tick.x2() == 33.0 || tick.x2() == 30.0);
        (tick.x2() == 33.0 ? shortY : longY).append(tick.y1());
    }
    QCOMPARE(shortY.size(), shortTicks);
    QCOMPARE(longY.size(), longTicks);
    QCOMPARE(shortY.first(), 233.0);
    QCOMPARE(shortY.last(), 73.0);
    QCOMPARE(shortY[1], 233.0 - 160.0 / divisions);
    QCOMPARE(longY[1], 233.0 - 2 * 160.0 / divisions);
}

void TestChartLayout::scaleLabels_data() {
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<int>("n");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("0..50 in four") << 0 << 50 << 4 << QStringList{"0", "12.5", "25", "37.5", "50"};
    QTest::newRow("-40..40 in eight")
        << -40 << 40 << 8 << QStringList{"-40", "-30", "-20", "-10", "0", "10", "20", "30", "40"};
    QTest::newRow("4 V") << -4 << 4 << 8
                         << QStringList{"-4", "-3", "-2", "-1", "0", "1", "2", "3", "4"};
    QTest::newRow("400 mOhm") << 0 << 400 << 4 << QStringList{"0", "100", "200", "300", "400"};
    QTest::newRow("quarters") << 0 << 1 << 4 << QStringList{"0", "0.25", "0.5", "0.75", "1"};
    QTest::newRow("eighths") << 0 << 3 << 8
                             << QStringList{"0",     "0.375", "0.75",  "1.125", "1.5",
                                            "1.875", "2.25",  "2.625", "3"};
    QTest::newRow("zero span") << 5 << 5 << 4 << QStringList{"5", "5", "5", "5", "5"};
}

void TestChartLayout::scaleLabels() {
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(int, n);
    QFETCH(QStringList, texts);
    const StripChartLayout l = StripChartLayout::forClient(129, 260);
    const auto labels = l.scaleLabels(min, max, n);
    QStringList got;
    for (const auto& label : labels) {
        got.append(label.text);
    }
    QCOMPARE(got, texts);
    QCOMPARE(labels.first().centreY, l.OriginY);
    QCOMPARE(labels.last().centreY, l.OriginY - l.PlotHeight);
    QCOMPARE(labels[1].centreY, l.OriginY - l.PlotHeight / n);
}

void TestChartLayout::scaleLabelLeft_data() {
    QTest::addColumn<double>("textWidth");
    QTest::addColumn<double>("divisor");
    QTest::addColumn<double>("left");
    QTest::newRow("resistance: half the width") << 20.0 << 2.0 << 8.0;
    QTest::newRow("voltage: a quarter") << 20.0 << 4.0 << 13.0;
    QTest::newRow("long text reaches left of 0") << 60.0 << 2.0 << -12.0;
}

void TestChartLayout::scaleLabelLeft() {
    QFETCH(double, textWidth);
    QFETCH(double, divisor);
    QFETCH(double, left);
    QCOMPARE(StripChartLayout::forClient(129, 200).scaleLabelLeft(textWidth, divisor), left);
}

void TestChartLayout::valueHeight_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("under");
    QTest::addColumn<float>("height");
    const QString dashes = QStringLiteral("----");
    const QString minusOL = QStringLiteral("-OL");
    QTest::newRow("OL 5 above the top") << "OL" << 0 << 40 << dashes << 105.0f;
    QTest::newRow("above max") << "40.01" << 0 << 40 << dashes << 105.0f;
    QTest::newRow("max is inside") << "40" << 0 << 40 << dashes << 100.0f;
    QTest::newRow("---- 3 below the bottom") << "----" << 0 << 40 << dashes << -3.0f;
    QTest::newRow("below min") << "-0.01" << 0 << 40 << dashes << -3.0f;
    QTest::newRow("min is inside") << "0" << 0 << 40 << dashes << 0.0f;
    QTest::newRow("a quarter of 0..50") << "12.5" << 0 << 50 << dashes << 25.0f;
    QTest::newRow("letters read as 0") << "abc" << 0 << 40 << dashes << 0.0f;
    QTest::newRow("empty before the first reading") << "" << 0 << 40 << dashes << 0.0f;
    QTest::newRow("voltage -OL at the floor") << "-OL" << -4 << 4 << minusOL << -3.0f;
    QTest::newRow("voltage OL at the top") << "OL" << -4 << 4 << minusOL << 105.0f;
    QTest::newRow("voltage 0 in the middle") << "0" << -4 << 4 << minusOL << 50.0f;
    QTest::newRow("voltage negative") << "-1.234" << -4 << 4 << minusOL << 34.575f;
    QTest::newRow("---- on voltage reads 0") << "----" << -4 << 4 << minusOL << 50.0f;
    QTest::newRow("-OL below a negative scale") << "-OL" << -40 << -10 << minusOL << -3.0f;
    QTest::newRow("OL above a negative scale") << "OL" << -40 << -10 << minusOL << 105.0f;
    QTest::newRow("zero span: on the bottom edge") << "5" << 5 << 5 << dashes << 0.0f;
    QTest::newRow("zero span: above") << "6" << 5 << 5 << dashes << 105.0f;
    QTest::newRow("zero span: below") << "4" << 5 << 5 << dashes << -3.0f;
}

void TestChartLayout::valueHeight() {
    QFETCH(QString, text);
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(QString, under);
    QFETCH(float, height);
    QCOMPARE(StripChartLayout::valueHeight(text, min, max, 100, under), height);
}

void TestChartLayout::firstTickLandsOnZeroWithoutSegment() {
    Sweep sweep;
    sweep.restart(1);
    QCOMPARE(sweep.advance(1, 60), 0.0f);
    QVERIFY(!sweep.plot(40, 100));
    QCOMPARE(Sweep::markAt(sweep.TraceX()), Sweep::Mark::TimeLine);
    QCOMPARE(sweep.advance(1, 60), 1.0f);
    const auto segment = sweep.plot(40, 90);
    QVERIFY(segment);
    QCOMPARE(*segment, QLineF(40, 100, 41, 90));
}

void TestChartLayout::wrapDrawsNoJoiningSegment() {
    Sweep sweep;
    sweep.restart(1);
    for (int i = 0; i < 60; ++i) {
        sweep.advance(1, 60);
        sweep.plot(40, 100);
    }
    QCOMPARE(sweep.TraceX(), 59.0f);
    QCOMPARE(sweep.advance(1, 60), 0.0f);
    QVERIFY(!sweep.plot(40, 50));
    QCOMPARE(sweep.PrevPointX(), 40.0f);
    // The point after the wrap starts the next segment.
    sweep.advance(1, 60);
    const auto segment = sweep.plot(40, 60);
    QVERIFY(segment);
    QCOMPARE(*segment, QLineF(40, 50, 41, 60));
}

void TestChartLayout::fractionalStepWraps() {
    Sweep sweep;
    sweep.restart(0.5f);
    int ticks = 0;
    int timeLines = 0;
    do {
        sweep.advance(0.5f, 60);
        timeLines += Sweep::markAt(sweep.TraceX()) == Sweep::Mark::TimeLine;
        ++ticks;
    } while (ticks == 1 || sweep.TraceX() != 0);
    QCOMPARE(ticks, 121);  // 0, 0.5 ... 59.5, then 0 again
    // A multiple of 60 is hit on two ticks in a row: 0 and 0.5 (rounded to 0), 59.5 (rounded
    // to 60) and 0 after the wrap.
    QCOMPARE(timeLines, 4);
}

void TestChartLayout::marks_data() {
    QTest::addColumn<float>("traceX");
    QTest::addColumn<Sweep::Mark>("mark");
    QTest::newRow("left edge") << 0.0f << Sweep::Mark::TimeLine;
    QTest::newRow("60") << 60.0f << Sweep::Mark::TimeLine;
    QTest::newRow("360") << 360.0f << Sweep::Mark::TimeLine;
    QTest::newRow("30") << 30.0f << Sweep::Mark::HalfMark;
    QTest::newRow("90") << 90.0f << Sweep::Mark::HalfMark;
    QTest::newRow("59.5 rounds to 60") << 59.5f << Sweep::Mark::TimeLine;
    QTest::newRow("60.5 rounds to 60") << 60.5f << Sweep::Mark::TimeLine;
    QTest::newRow("29.5 rounds to 30") << 29.5f << Sweep::Mark::HalfMark;
    QTest::newRow("61") << 61.0f << Sweep::Mark::None;
    QTest::newRow("45") << 45.0f << Sweep::Mark::None;
    QTest::newRow("0.5 rounds to 0") << 0.5f << Sweep::Mark::TimeLine;
    QTest::newRow("1.5 rounds to 2") << 1.5f << Sweep::Mark::None;
}

void TestChartLayout::marks() {
    QFETCH(float, traceX);
    QFETCH(Sweep::Mark, mark);
    QCOMPARE(Sweep::markAt(traceX), mark);
}
