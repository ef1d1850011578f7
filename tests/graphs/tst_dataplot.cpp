#include <QTest>

#include "graphs/DataPlot.h"
#include "platform/GridModel.h"
#include "tst_graphs.h"

namespace {

using Ends = QList<QPointF>;  // first and last point of a curve

FileTransfer plotState(float first, float last, float count) {
    FileTransfer s;
    s.PlotOhmLimitMax = s.PlotOhmTop = 40;
    s.PlotVoltLimitMax = s.PlotVoltTop = 4;
    s.PlotFirstRow = first;
    s.PlotLastRow = last;
    s.PlotPointCount = count;
    return s;
}

// Points in twips, equal to a hundredth of a twip (the step across is a single float).
bool near(const Ends& got, const Ends& want) {
    if (got.size() != want.size()) {
        return false;
    }
    for (int i = 0; i < got.size(); ++i) {
        if (qAbs(got[i].x() - want[i].x()) > 0.01 || qAbs(got[i].y() - want[i].y()) > 0.01) {
            return false;
        }
    }
    return true;
}

}  // namespace

void TestDataPlot::valueLabels_data() {
    QTest::addColumn<QList<float>>("scales");  // ohm top, ohm bottom, volt top, volt bottom
    QTest::addColumn<QStringList>("texts");    // LblValTop, LblValMid, Lbl0, UpTop ... TopUp
    QTest::newRow("400 mOhm, 40 V")
        << QList<float>{400, 0, 40, 0}
        << QStringList{"400", "200", "0", "40", "20", "0", "-20", "-40"};
    QTest::newRow("40 mOhm, 4 V") << QList<float>{40, 0, 4, 0}
                                  << QStringList{"40", "20", "0", "4", "2", "0", "-2", "-4"};
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

void TestDataPlot::ohmY_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("bottom");
    QTest::addColumn<double>("y");  // -1: cannot be scaled
    QTest::newRow("OL 100 above the top line") << "OL" << 40.0f << 0.0f << 900.0;
    QTest::newRow("top on the top line") << "40" << 40.0f << 0.0f << 1000.0;
    QTest::newRow("above the top") << "40.1" << 40.0f << 0.0f << 900.0;
    QTest::newRow("half way") << "20" << 40.0f << 0.0f << 2500.0;
    QTest::newRow("bottom on the middle line") << "0" << 40.0f << 0.0f << 4000.0;
    QTest::newRow("below the bottom sits on the middle") << "5" << 40.0f << 10.0f << 4000.0;
    QTest::newRow("---- reads 0") << "----" << 40.0f << 0.0f << 4000.0;
    QTest::newRow("a fractional top is met exactly") << "0.1" << 0.1f << 0.0f << 1000.0;
    QTest::newRow("zero span") << "5" << 5.0f << 5.0f << -1.0;
    QTest::newRow("zero span, OL needs no scale") << "OL" << 5.0f << 5.0f << 900.0;
    QTest::newRow("too large for a single float") << "1e39" << 40.0f << 0.0f << -1.0;
    QTest::newRow("huge but a single float") << "1e30" << 40.0f << 0.0f << 900.0;
}

void TestDataPlot::ohmY() {
    QFETCH(QString, text);
    QFETCH(float, top);
    QFETCH(float, bottom);
    QFETCH(double, y);
    QCOMPARE(DataPlot::ohmY(text, top, bottom).value_or(-1), y);
}

void TestDataPlot::voltY_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("top");
    QTest::addColumn<float>("bottom");
    QTest::addColumn<double>("y");  // -1: cannot be scaled
    QTest::newRow("OL") << "OL" << 4.0f << 0.0f << 900.0;
    QTest::newRow("-OL 100 below the bottom line") << "-OL" << 4.0f << 0.0f << 7100.0;
    QTest::newRow("top") << "4" << 4.0f << 0.0f << 1000.0;
    QTest::newRow("0 with bottom 0 on the middle line") << "0" << 4.0f << 0.0f << 4000.0;
    QTest::newRow("negative half") << "-2" << 4.0f << 0.0f << 5500.0;
    QTest::newRow("minus top on the bottom line") << "-4" << 4.0f << 0.0f << 7000.0;
    QTest::newRow("beyond minus top") << "-4.01" << 4.0f << 0.0f << 7100.0;
    QTest::newRow("beyond top") << "4.01" << 4.0f << 0.0f << 900.0;
    QTest::newRow("between the halves, positive") << "0.5" << 4.0f << 1.0f << 4000.0;
    QTest::newRow("between the halves, negative") << "-0.5" << 4.0f << 1.0f << 4000.0;
    QTest::newRow("mirrored lower half") << "-2.5" << 4.0f << 1.0f << 5500.0;
    QTest::newRow("zero span") << "1" << 1.0f << 1.0f << -1.0;
    QTest::newRow("zero span, -OL needs no scale") << "-OL" << 1.0f << 1.0f << 7100.0;
}

void TestDataPlot::voltY() {
    QFETCH(QString, text);
    QFETCH(float, top);
    QFETCH(float, bottom);
    QFETCH(double, y);
    QCOMPARE(DataPlot::voltY(text, top, bottom).value_or(-1), y);
}

void TestDataPlot::middleRow_data() {
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("last");
    QTest::addColumn<double>("middle");
    QTest::newRow("two rows: the first") << 1.0 << 2.0 << 1.0;
    QTest::newRow("three rows") << 1.0 << 3.0 << 2.0;
    QTest::newRow("four rows") << 1.0 << 4.0 << 2.0;
    QTest::newRow("odd sum from 2") << 2.0 << 5.0 << 3.0;
    QTest::newRow("twelve rows") << 1.0 << 12.0 << 6.0;
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
    QTest::addColumn<QList<float>>("range");  // first, last, point count; then ohm top, bottom
    QTest::addColumn<bool>("ok");
    QTest::addColumn<bool>("curves");
    QTest::addColumn<QStringList>("times");
    QTest::addColumn<Ends>("ohmEnds");
    QTest::addColumn<Ends>("voltEnds");
    QTest::addColumn<int>("points");

    const QStringList five{"1\t2021/07/01\t10:00:00\t40\t4", "2\t2021/07/01\t10:00:02\t0\t-4",
                           "3\t2021/07/01\t10:00:04\t20\t2", "4\t2021/07/01\t10:00:06\t10\t-2",
                           "5\t2021/07/01\t10:00:08\tOL\t-OL"};
    QTest::newRow("two rows span the axes")
        << 5 << five.mid(0, 2) << QList<float>{1, 2, 2, 40, 0} << true << true
        << QStringList{"10:00:00", "10:00:00", "10:00:02"} << Ends{{1000, 1000}, {5000, 4000}}
        << Ends{{1000, 1000}, {5000, 7000}} << 2;
    QTest::newRow("all five rows")
        << 5 << five << QList<float>{1, 5, 5, 40, 0} << true << true
        << QStringList{"10:00:00", "10:00:04", "10:00:08"} << Ends{{1000, 1000}, {5000, 900}}
        << Ends{{1000, 1000}, {5000, 7100}} << 5;
    QTest::newRow("part of the rows, even count")
        << 5 << five << QList<float>{2, 5, 4, 40, 0} << true << true
        << QStringList{"10:00:02", "10:00:04", "10:00:08"} << Ends{{1000, 4000}, {5000, 900}}
        << Ends{{1000, 7000}, {5000, 7100}} << 4;
    QTest::newRow("one row: value labels only")
        << 5 << five.mid(0, 1) << QList<float>{1, 1, 1, 40, 0} << true << false << QStringList()
        << Ends() << Ends() << 0;
    QTest::newRow("no rows: value labels only")
        << 5 << QStringList() << QList<float>{1, 0, 0, 40, 0} << true << false << QStringList()
        << Ends() << Ends() << 0;
    QTest::newRow("rows beyond the grid fail")
        << 5 << five.mid(0, 3) << QList<float>{2, 5, 4, 40, 0} << false << false << QStringList()
        << Ends() << Ends() << 0;
    QTest::newRow("zero span fails at a number")
        << 5 << five.mid(0, 2) << QList<float>{1, 2, 2, 10, 10} << false << false << QStringList()
        << Ends() << Ends() << 0;
    QTest::newRow("zero span with only OL plots")
        << 5 << QStringList{"1\td\t10:00:00\tOL\t1", "2\td\t10:00:02\tOL\t2"}
        << QList<float>{1, 2, 2, 10, 10} << true << true
        << QStringList{"10:00:00", "10:00:00", "10:00:02"} << Ends{{1000, 900}, {5000, 900}}
        << Ends{{1000, 3250}, {5000, 2500}} << 2;
    QTest::newRow("garbage and empty cells read as 0")
        << 5 << QStringList{"x\ty\tz\tabc\t?", "\t\t\t\t"} << QList<float>{1, 2, 2, 40, 0} << true
        << true << QStringList{"z", "z", ""} << Ends{{1000, 4000}, {5000, 4000}}
        << Ends{{1000, 4000}, {5000, 4000}} << 2;
    QTest::newRow("three columns: no readings")
        << 3 << QStringList{"1\td\t10:00:00", "2\td\t10:00:02"} << QList<float>{1, 2, 2, 40, 0}
        << true << true << QStringList{"10:00:00", "10:00:00", "10:00:02"}
        << Ends{{1000, 4000}, {5000, 4000}} << Ends{{1000, 4000}, {5000, 4000}} << 2;
    QTest::newRow("a number too large fails")
        << 5 << QStringList{"1\td\t10:00:00\t1e39\t1", "2\td\t10:00:02\t1\t1"}
        << QList<float>{1, 2, 2, 40, 0} << false << false << QStringList() << Ends() << Ends() << 0;
}

void TestDataPlot::build() {
    QFETCH(int, cols);
    QFETCH(QStringList, rows);
    QFETCH(QList<float>, range);
    QFETCH(bool, ok);
    QFETCH(bool, curves);
    QFETCH(QStringList, times);
    QFETCH(Ends, ohmEnds);
    QFETCH(Ends, voltEnds);
    QFETCH(int, points);

    GridModel grid(cols);
    for (int c = 0; c < cols; ++c) {
        grid.setText(0, c, QStringList{"No.s", "Date", "Time", "Ohm", "Voltage"}.value(c));
    }
    for (const QString& row : rows) {
        grid.addItem(row);
    }
    FileTransfer s = plotState(range[0], range[1], range[2]);
    s.PlotOhmTop = range[3];
    s.PlotOhmBottom = range[4];
    s.PlotRowCount = grid.Rows() - 1;

    const DataPlot::Plot plot = DataPlot::build(s, grid);
    QCOMPARE(plot.ok, ok);
    if (!ok) {
        return;
    }
    QCOMPARE(plot.labels.LblValTop, QString::number(range[3]));
    QCOMPARE(plot.curves, curves);
    QCOMPARE(plot.ohm.size(), points);
    QCOMPARE(plot.volt.size(), points);
    if (!curves) {
        QVERIFY(plot.LblT1.isEmpty() && plot.LblFun1.isEmpty());
        return;
    }
    QCOMPARE((QStringList{plot.LblT1, plot.LblT2, plot.LblT3}), times);
    QCOMPARE(plot.LblFun1, cols > 3 ? QStringLiteral("Ohm") : QString());
    QVERIFY(near({plot.ohm.first(), plot.ohm.last()}, ohmEnds));
    QVERIFY(near({plot.volt.first(), plot.volt.last()}, voltEnds));
}
