#include <QTest>

#include "core/layout/DataPlot.h"
#include "platform/GridModel.h"
#include "tst_graphs.h"

void TestDataPlot::valueLabels_data() {
    QTest::addColumn<QList<float>>("scales");  // ohm top, ohm bottom, volt top, volt bottom
    QTest::addColumn<QStringList>("texts");    // LblValTop, LblValMid, Lbl0, UpTop ... TopUp
    QTest::newRow("400 mOhm, 40 V")
        << QList<float>{400, 0, 40, 0}
        << QStringList{"400", "200", "0", "40", "20", "0", "-20", "-40"};
    QTest::newRow("raised bottoms")
        << QList<float>{25, 10, 4, 1}
        << QStringList{"25", "17.5", "10", "4", "2.5", "1", "-2.5", "-4"};
    QTest::newRow("single floats: 7 digits")
        << QList<float>{0.1f, 0, 1.0f / 3, 0}
        << QStringList{"0.1",       "0.05", "0",          "0.3333333",
                       "0.1666667", "0",    "-0.1666667", "-0.3333333"};
}

void TestDataPlot::valueLabels() {
    QFETCH(QList<float>, scales);
    QFETCH(QStringList, texts);
    FileTransfer s;
    s.PlotOhmTop = scales[0];
    s.PlotOhmBottom = scales[1];
    s.PlotVoltTop = scales[2];
    s.PlotVoltBottom = scales[3];
    const DataPlot::ValueLabels l = DataPlot::valueLabels(s);
    QCOMPARE(
        (QStringList{l.LblValTop, l.LblValMid, l.Lbl0, l.UpTop, l.UpMid, l.Up0, l.MidUp, l.TopUp}),
        texts);
}

void TestDataPlot::heights_data() {
    QTest::addColumn<bool>("voltage");
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("bottom");
    QTest::addColumn<double>("y");  // -1: cannot be scaled
    QTest::newRow("ohm OL 100 above the top line") << false << "OL" << 40.0f << 0.0f << 900.0;
    QTest::newRow("ohm top on the top line") << false << "40" << 40.0f << 0.0f << 1000.0;
    QTest::newRow("ohm above the top") << false << "40.1" << 40.0f << 0.0f << 900.0;
    QTest::newRow("ohm below the bottom: middle") << false << "5" << 40.0f << 10.0f << 4000.0;
    QTest::newRow("ohm fractional top met") << false << "0.1" << 0.1f << 0.0f << 1000.0;
    QTest::newRow("ohm zero span") << false << "5" << 5.0f << 5.0f << -1.0;
    QTest::newRow("ohm zero span, OL") << false << "OL" << 5.0f << 5.0f << 900.0;
    QTest::newRow("ohm beyond a single float") << false << "1e39" << 40.0f << 0.0f << -1.0;
    QTest::newRow("volt -OL 100 below") << true << "-OL" << 4.0f << 0.0f << 7100.0;
    QTest::newRow("volt 0 on the middle") << true << "0" << 4.0f << 0.0f << 4000.0;
    QTest::newRow("volt beyond minus top") << true << "-4.01" << 4.0f << 0.0f << 7100.0;
    QTest::newRow("volt between halves, +") << true << "0.5" << 4.0f << 1.0f << 4000.0;
    QTest::newRow("volt between halves, -") << true << "-0.5" << 4.0f << 1.0f << 4000.0;
    QTest::newRow("volt mirrored lower half") << true << "-2.5" << 4.0f << 1.0f << 5500.0;
    QTest::newRow("volt zero span") << true << "1" << 1.0f << 1.0f << -1.0;
}

void TestDataPlot::heights() {
    QFETCH(bool, voltage);
    QFETCH(QString, text);
    QFETCH(float, top);
    QFETCH(float, bottom);
    QFETCH(double, y);
    const auto got =
        voltage ? DataPlot::voltY(text, top, bottom) : DataPlot::ohmY(text, top, bottom);
    QCOMPARE(got.value_or(-1), y);
}

void TestDataPlot::middleRow_data() {
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("last");
    QTest::addColumn<double>("middle");
    QTest::newRow("two rows: the first") << 1.0 << 2.0 << 1.0;
    QTest::newRow("odd count") << 1.0 << 3.0 << 2.0;
    QTest::newRow("even count") << 2.0 << 5.0 << 3.0;
    QTest::newRow("half rounds up to even") << 2.5 << 3.0 << 3.0;
    QTest::newRow("half rounds down to even") << 1.5 << 3.0 << 2.0;
}

void TestDataPlot::middleRow() {
    QFETCH(double, first);
    QFETCH(double, last);
    QFETCH(double, middle);
    QCOMPARE(DataPlot::middleRow(first, last), middle);
}

void TestDataPlot::build_data() {
    QTest::addColumn<int>("cols");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<QList<float>>("state");  // first row, last row, point count, ohm top, bottom
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("points");
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<QList<double>>("ends");  // ohm y first and last, volt y first and last

    const QStringList rows{"1\tD\t10:00:00\t40\t4", "2\tD\t10:00:02\t0\t-4",
                           "3\tD\t10:00:04\t20\t2", "4\tD\t10:00:06\t10\t-2",
                           "5\tD\t10:00:08\tOL\t-OL"};
    QTest::newRow("two rows span the axes")
        << 5 << rows.mid(0, 2) << QList<float>{1, 2, 2, 40, 0} << true << 2
        << QStringList{"10:00:00", "10:00:00", "10:00:02"} << QList<double>{1000, 4000, 1000, 7000};
    QTest::newRow("part of the rows")
        << 5 << rows << QList<float>{2, 5, 4, 40, 0} << true << 4
        << QStringList{"10:00:02", "10:00:04", "10:00:08"} << QList<double>{4000, 900, 7000, 7100};
    QTest::newRow("one row: labels only") << 5 << rows.mid(0, 1) << QList<float>{1, 1, 1, 40, 0}
                                          << true << 0 << QStringList() << QList<double>();
    QTest::newRow("no rows: labels only") << 5 << QStringList() << QList<float>{1, 0, 0, 40, 0}
                                          << true << 0 << QStringList() << QList<double>();
    QTest::newRow("beyond the grid") << 5 << rows.mid(0, 3) << QList<float>{2, 5, 4, 40, 0} << false
                                     << 0 << QStringList() << QList<double>();
    QTest::newRow("zero span at a number") << 5 << rows.mid(0, 2) << QList<float>{1, 2, 2, 9, 9}
                                           << false << 0 << QStringList() << QList<double>();
    QTest::newRow("zero span, only OL")
        << 5 << QStringList{"1\tD\t10:00:00\tOL\t1", "2\tD\t10:00:02\tOL\t2"}
        << QList<float>{1, 2, 2, 9, 9} << true << 2
        << QStringList{"10:00:00", "10:00:00", "10:00:02"} << QList<double>{900, 900, 3250, 2500};
    QTest::newRow("garbage and empty cells read 0")
        << 5 << QStringList{"x\ty\tz\tabc\t?", "\t\t\t\t"} << QList<float>{1, 2, 2, 40, 0} << true
        << 2 << QStringList{"z", "z", ""} << QList<double>{4000, 4000, 4000, 4000};
    QTest::newRow("three columns")
        << 3 << QStringList{"1\tD\t10:00:00", "2\tD\t10:00:02"} << QList<float>{1, 2, 2, 40, 0}
        << true << 2 << QStringList{"10:00:00", "10:00:00", "10:00:02"}
        << QList<double>{4000, 4000, 4000, 4000};
}

void TestDataPlot::build() {
    QFETCH(int, cols);
    QFETCH(QStringList, rows);
    QFETCH(QList<float>, state);
    QFETCH(bool, ok);
    QFETCH(int, points);
    QFETCH(QStringList, times);
    QFETCH(QList<double>, ends);

    GridModel grid(cols);
    for (int c = 0; c < cols; ++c) {
        grid.setText(0, c, QStringList{"No.s", "Date", "Time", "Ohm", "Voltage"}.value(c));
    }
    for (const QString& row : rows) {
        grid.addItem(row);
    }
    FileTransfer s;
    s.PlotFirstRow = state[0];
    s.PlotLastRow = state[1];
    s.PlotPointCount = state[2];
    s.PlotOhmTop = state[3];
    s.PlotOhmBottom = state[4];
    s.PlotVoltTop = 4;

    const DataPlot::Plot plot = DataPlot::build(s, grid);
    QCOMPARE(plot.ok, ok);
    QCOMPARE(plot.ohm.size(), points);
    QCOMPARE(plot.volt.size(), points);
    if (!ok) {
        return;  // the plot window closes
    }
    if (points == 0) {
        QVERIFY(plot.LblT1.isEmpty() && plot.LblFun1.isEmpty());
        return;
    }
    QCOMPARE((QStringList{plot.LblT1, plot.LblT2, plot.LblT3}), times);
    QCOMPARE(plot.LblFun1, cols > 3 ? QStringLiteral("Ohm") : QString());
    // The first row on the left axis, the last on the right one (the step is a single float).
    QCOMPARE(plot.ohm.first().x(), 1000.0);
    QVERIFY(qAbs(plot.ohm.last().x() - 5000.0) < 0.01);
    QCOMPARE((QList<double>{plot.ohm.first().y(), plot.ohm.last().y(), plot.volt.first().y(),
                            plot.volt.last().y()}),
             ends);
}
