#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

#include "GraphsFixture.h"
#include "core/meter/Decode.h"
#include "platform/widgets/Grid.h"
#include "tst_graphs.h"
#include "windows/graphs/GraphCommands.h"
#include "windows/graphs/ListPlot2.h"
#include "windows/graphs/Plot2Range.h"
#include "windows/graphs/PlotCommands.h"
#include "windows/graphs/RealTimeRange.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"
#include "windows/logger/DataList.h"
#include "windows/records/FileList.h"

namespace {

// The live charts open on the 40 mOhm and 4 V ranges (plot width 420), and their range dialog.
struct RangeFixture : GraphsFixture {
    RangeFixture() {
        DecodeStatus(app.meter, 0x03);
        OpenGraphsCommand(app);
        dialog = &app.windows().get<RealTimeRange>();
        dialog->show();
    }
    void type(const QStringList& names, const QStringList& texts) {
        for (int i = 0; i < names.size(); ++i) {
            dialog->findChild<QLineEdit*>(names[i])->setText(texts[i]);
        }
    }
    QString text(const char* name) {
        return dialog->findChild<QLineEdit*>(QString::fromLatin1(name))->text();
    }
    void ok() { dialog->findChild<QPushButton*>(QStringLiteral("CmdOK"))->click(); }
    RealTimeRange* dialog;
};

const QStringList graphBoxes{"TextXMax", "TextXMin", "TextYMax", "TextYMin", "TextCounts"};
const QStringList plotBoxes{"TxtR1", "TxtR2", "TxtT1", "TxtT2", "UpTxtR1", "UpTxtR2"};

// A recorded list of twelve readings, plotted whole, and the plot's range dialog.
struct PlotRangeFixture : GraphsFixture {
    explicit PlotRangeFixture(bool fromDataList = false) {
        GridModel& grid = fromDataList ? app.windows().get<DataList>().grid().model()
                                       : app.windows().get<FileList>().grid().model();
        FillReadings(grid, 12);
        PlotAllRows(app.transfer, grid, 40, 4);
        app.transfer.PlotFromDataList = fromDataList;
        app.transfer.PlotFromFileList = !fromDataList;
        ShowPlot(app, grid);
        dialog = &app.windows().get<Plot2Range>();
        dialog->show();
    }
    void type(const QStringList& texts) {
        for (int i = 0; i < plotBoxes.size(); ++i) {
            dialog->findChild<QLineEdit*>(plotBoxes[i])->setText(texts[i]);
        }
    }
    void ok() { dialog->findChild<QPushButton*>(QStringLiteral("CmdOk"))->click(); }
    QString label(const char* name) {
        ListPlot2* plot = app.windows().find<ListPlot2>();
        return plot ? plot->label(QString::fromLatin1(name))->text() : QStringLiteral("(closed)");
    }
    Plot2Range* dialog;
};

}  // namespace

void TestRangeDialogs::realTimeRangeFilledOnLoad() {
    RangeFixture f;
    QStringList texts;
    for (const QString& name : graphBoxes) {
        texts.append(f.dialog->findChild<QLineEdit*>(name)->text());
    }
    QCOMPARE(texts, (QStringList{"40", "0", "4", "-4", "420"}));
}

void TestRangeDialogs::realTimeRangeChecks_data() {
    QTest::addColumn<QStringList>("typed");  // ohm max, min, voltage max, min, counts
    QTest::addColumn<QString>("message");    // empty: accepted
    const QString ohm = QStringLiteral("0 <= (m)Ohm <= 40, try again!");
    const QString volt = QStringLiteral("-4 <= voltage <= 4, try again!");
    const QString invalid = QStringLiteral("Invalid, try again!");
    const QString counts = QStringLiteral("10 <= Counts <= 864000, try again!");
    QTest::newRow("limits are inclusive") << QStringList{"40", "0", "4", "-4", "420"} << "";
    QTest::newRow("ohm max above") << QStringList{"40.5", "0", "4", "-4", "420"} << ohm;
    QTest::newRow("volt max above") << QStringList{"40", "0", "4.01", "-4", "420"} << volt;
    QTest::newRow("ohm checked before volt") << QStringList{"41", "0", "5", "-4", "9"} << ohm;
    QTest::newRow("limits before span") << QStringList{"20", "20", "5", "-4", "420"} << volt;
    QTest::newRow("ohm min equals max") << QStringList{"20", "20", "4", "-4", "420"} << invalid;
    QTest::newRow("volt min above max") << QStringList{"40", "0", "1", "2", "420"} << invalid;
    QTest::newRow("zero span once rounded")
        << QStringList{"1.4", "1.2", "4", "-4", "420"} << invalid;
    QTest::newRow("span before counts") << QStringList{"20", "20", "4", "-4", "9"} << invalid;
    QTest::newRow("counts 9") << QStringList{"40", "0", "4", "-4", "9"} << counts;
    QTest::newRow("counts 10") << QStringList{"40", "0", "4", "-4", "10"} << "";
    QTest::newRow("counts 864000") << QStringList{"40", "0", "4", "-4", "864000"} << "";
    QTest::newRow("counts above") << QStringList{"40", "0", "4", "-4", "864000.5"} << counts;
}

void TestRangeDialogs::realTimeRangeChecks() {
    QFETCH(QStringList, typed);
    QFETCH(QString, message);
    RangeFixture f;
    f.type(graphBoxes, typed);
    f.ok();
    if (message.isEmpty()) {
        QVERIFY(f.dialogs.messages.isEmpty());
        QVERIFY(!f.app.windows().find<RealTimeRange>());
        return;
    }
    QCOMPARE(f.dialogs.messages.size(), 1);
    QCOMPARE(f.dialogs.messages[0].text, message);
    QCOMPARE(f.dialogs.messages[0].icon, Dialogs::Icon::Critical);
    QCOMPARE(f.dialogs.messages[0].title, Dialogs::appTitle());
    // Nothing stored; the dialog stays with what was typed.
    QCOMPARE(f.app.meter.GraphOhmMax, qint16(40));
    QCOMPARE(f.app.meter.GraphStep, 1.0f);
    QCOMPARE(f.app.windows().find<RealTimeRange>(), f.dialog);
    QCOMPARE(f.text("TextXMax"), typed[0]);
}

void TestRangeDialogs::realTimeRangeApplies_data() {
    QTest::addColumn<float>("plotWidth");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<float>("step");
    QTest::addColumn<QList<int>>("stored");  // ohm max, min, voltage max, min
    QTest::newRow("one pixel a point")
        << 390.0f << QStringList{"40", "0", "4", "-4", "390"} << 1.0f << QList<int>{40, 0, 4, -4};
    QTest::newRow("half a pixel a point")
        << 390.0f << QStringList{"40", "0", "4", "-4", "780"} << 0.5f << QList<int>{40, 0, 4, -4};
    QTest::newRow("ends rounded half to even")
        << 420.0f << QStringList{"30.5", "2.5", "3.5", "-3.5", "42"} << 10.0f
        << QList<int>{30, 2, 4, -4};
}

void TestRangeDialogs::realTimeRangeApplies() {
    QFETCH(float, plotWidth);
    QFETCH(QStringList, typed);
    QFETCH(float, step);
    QFETCH(QList<int>, stored);
    RangeFixture f;
    QPointer<RealTimeX> oldX = f.app.windows().find<RealTimeX>();
    f.app.meter.GraphPlotWidth = plotWidth;
    f.type(graphBoxes, typed);
    f.ok();
    const Meter& m = f.app.meter;
    QCOMPARE(m.GraphStep, step);
    QCOMPARE((QList<int>{m.GraphOhmMax, m.GraphOhmMin, m.GraphVoltMax, m.GraphVoltMin}), stored);
    QVERIFY(!m.GraphOpen);  // the range chosen here survives a change of the meter's range
    QVERIFY(!f.app.windows().find<RealTimeRange>());
    RealTimeX* x = f.app.windows().find<RealTimeX>();
    RealTimeY* y = f.app.windows().find<RealTimeY>();
    QVERIFY(x && y && x != oldX.data());
    QVERIFY(x->isVisible() && y->isVisible());
    QVERIFY(x->timer1().isActive() && y->timer1().isActive());
    QCOMPARE(x->sweep().TraceX(), -step);  // an empty trace starting at the left edge
}

void TestRangeDialogs::plot2RangeFilledOnDisplay() {
    PlotRangeFixture f;
    f.dialog->hide();
    FileTransfer& s = f.app.transfer;
    s.PlotFirstRow = 2.5f;
    s.PlotOhmBottom = 10;
    s.PlotVoltBottom = 0.5f;
    f.dialog->show();
    QStringList texts;
    for (const QString& name : plotBoxes) {
        texts.append(f.dialog->findChild<QLineEdit*>(name)->text());
    }
    QCOMPARE(texts, (QStringList{"10", "40", "2.5", "12", "0.5", "4"}));
}

void TestRangeDialogs::plot2RangeChecks_data() {
    QTest::addColumn<QStringList>("typed");  // TxtR1, TxtR2, TxtT1, TxtT2, UpTxtR1, UpTxtR2
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("plotted");
    QTest::newRow("the whole list") << QStringList{"0", "40", "1", "12", "0", "4"} << true << true;
    QTest::newRow("inside the limits")
        << QStringList{"10", "20", "2", "11", "1", "3"} << true << true;
    QTest::newRow("first row 0") << QStringList{"0", "40", "0", "12", "0", "4"} << false << false;
    QTest::newRow("one row too many")
        << QStringList{"0", "40", "1", "13", "0", "4"} << false << false;
    // The count of rows is compared, not the last row: the plot reaches past the list and
    // closes.
    QTest::newRow("past the end") << QStringList{"0", "40", "5", "14", "0", "4"} << true << false;
    QTest::newRow("ohm top above limit")
        << QStringList{"0", "40.5", "1", "12", "0", "4"} << false << false;
    QTest::newRow("ohm pair equal")
        << QStringList{"20", "20", "1", "12", "0", "4"} << false << false;
    QTest::newRow("ohm pair inverted")
        << QStringList{"30", "20", "1", "12", "0", "4"} << false << false;
    QTest::newRow("volt pair equal")
        << QStringList{"0", "40", "1", "12", "2", "2"} << false << false;
    QTest::newRow("volt top above limit")
        << QStringList{"0", "40", "1", "12", "0", "4.5"} << false << false;
    QTest::newRow("letters read 0")
        << QStringList{"0", "40", "abc", "12", "0", "4"} << false << false;
}

void TestRangeDialogs::plot2RangeChecks() {
    QFETCH(QStringList, typed);
    QFETCH(bool, accepted);
    QFETCH(bool, plotted);
    PlotRangeFixture f;
    f.type(typed);
    f.ok();
    QCOMPARE(f.app.windows().find<ListPlot2>() != nullptr, plotted);
    if (!accepted) {
        QCOMPARE(f.dialogs.messages.size(), 1);
        QCOMPARE(f.dialogs.messages[0].text, QStringLiteral("Invalid, Try again!"));
        QCOMPARE(f.app.windows().find<Plot2Range>(), f.dialog);
        QCOMPARE(f.app.transfer.PlotFirstRow, 1.0f);
        return;
    }
    QVERIFY(f.dialogs.messages.isEmpty());
    QVERIFY(!f.app.windows().find<Plot2Range>());
    const FileTransfer& s = f.app.transfer;
    QCOMPARE(s.PlotOhmBottom, typed[0].toFloat());
    QCOMPARE(s.PlotFirstRow, typed[2].toFloat());
    QCOMPARE(s.PlotPointCount, typed[3].toFloat() - typed[2].toFloat() + 1);
}

void TestRangeDialogs::plot2RangeReplotsItsSource_data() {
    QTest::addColumn<bool>("fromDataList");
    QTest::newRow("opened file") << false;
    QTest::newRow("logger set") << true;
}

void TestRangeDialogs::plot2RangeReplotsItsSource() {
    QFETCH(bool, fromDataList);
    PlotRangeFixture f(fromDataList);
    f.type({"0", "40", "0", "12", "0", "4"});
    f.ok();
    QCOMPARE(f.label("LblValTop"), QStringLiteral("(closed)"));
    f.type({"10", "20", "3", "7", "1", "3"});
    f.ok();
    QCOMPARE(f.label("LblValTop"), QStringLiteral("20"));
    QCOMPARE(f.label("Lbl0"), QStringLiteral("10"));
    QCOMPARE(f.label("UpMid"), QStringLiteral("2"));
    QCOMPARE(f.label("LblT1"), QStringLiteral("10:00:04"));  // row 3
    QCOMPARE(f.label("LblT2"), QStringLiteral("10:00:08"));  // row 5
    QCOMPARE(f.label("LblT3"), QStringLiteral("10:00:12"));  // row 7
}
