#include <QAction>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QToolBar>

#include "GraphsFixture.h"
#include "core/meter/Decode.h"
#include "tst_graphs.h"
#include "windows/graphs/GraphCommands.h"
#include "windows/graphs/RealTimeRange.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"

namespace {

// The charts at their designed client size of 480 x 391 pixels: OriginX 40, OriginY 364,
// PlotHeight 291, plot width 420.
constexpr int OriginX = 40;
constexpr int OriginY = 364;
constexpr int PlotWidth = 420;

const QColor Red(255, 0, 0);
const QColor Grey(192, 192, 192);
const QColor White(255, 255, 255);

// Both charts open on the 40 mOhm and 4 V ranges, their timers stopped so that the test
// drives the ticks.
struct OpenCharts : GraphsFixture {
    OpenCharts() {
        DecodeStatus(app.meter, 0x03);
        OpenGraphsCommand(app);
        x = &app.windows().get<RealTimeX>();
        y = &app.windows().get<RealTimeY>();
        x->timer1().stop();
        y->timer1().stop();
    }
    StripChartWindow* chart(bool voltage) {
        return voltage ? static_cast<StripChartWindow*>(y) : x;
    }
    void ticks(StripChartWindow* c, int n, const QString& reading) {
        for (int i = 0; i < n; ++i) {
            app.meter.OhmText = reading;
            app.meter.VoltText = reading;
            c->tick();
            clock.advanceMs(App::timer1Interval());
        }
    }
    RealTimeX* x;
    RealTimeY* y;
};

int redInColumn(const QImage& image, int x) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        count += pixelAt(image, x, y) == Red;
    }
    return count;
}

}  // namespace

void TestChartWindows::readingLandsWhereMapped_data() {
    QTest::addColumn<bool>("voltage");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<int>("y");
    QTest::newRow("resistance inside") << false << "5" << 328;
    QTest::newRow("resistance OL") << false << "OL" << 68;
    QTest::newRow("resistance ----") << false << "----" << 367;
    QTest::newRow("voltage inside") << true << "2" << 146;
    QTest::newRow("voltage negative") << true << "-2.5" << 309;
    QTest::newRow("voltage -OL") << true << "-OL" << 367;
}

void TestChartWindows::readingLandsWhereMapped() {
    QFETCH(bool, voltage);
    QFETCH(QString, reading);
    QFETCH(int, y);
    OpenCharts f;
    StripChartWindow* c = f.chart(voltage);
    QCOMPARE(c->size(), QSize(480, 391));
    f.ticks(c, 2, reading);
    QCOMPARE(pixelAt(c->image(), OriginX, y), Red);
    QCOMPARE(pixelAt(c->image(), OriginX + 1, y), Red);
    QCOMPARE(pixelAt(c->image(), OriginX + 2, y), White);  // erased ahead of the sweep
    QCOMPARE(redInColumn(c->image(), OriginX + 1), 1);
}

void TestChartWindows::gridDotsKeepTheirPlaces() {
    OpenCharts f;
    const int gridY = 146;  // the dotted line at 3/4 of the height
    f.ticks(f.x, 1, QStringLiteral("5"));
    QCOMPARE(pixelAt(f.x->image(), OriginX, gridY), Grey);
    const QImage whole = f.x->image().copy();
    // Every later tick redraws the line; its dots must not move.
    f.ticks(f.x, 300, QStringLiteral("5"));
    for (int x = OriginX; x <= OriginX + PlotWidth; ++x) {
        if ((x - OriginX) % 60 == 0) {
            continue;  // time lines cross here
        }
        QVERIFY2(pixelAt(f.x->image(), x, gridY) == pixelAt(whole, x, gridY),
                 qPrintable(QString::number(x)));
    }
}

void TestChartWindows::gridLiesOverTheTrace_data() {
    QTest::addColumn<bool>("voltage");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<int>("y");  // the grid line the reading lies on
    QTest::newRow("resistance on 1/4") << false << "10" << 291;
    QTest::newRow("resistance on 1/2") << false << "20" << 219;
    QTest::newRow("resistance on 3/4") << false << "30" << 146;
    QTest::newRow("voltage on the centre line") << true << "0" << 219;
    QTest::newRow("voltage on 1/8") << true << "-3" << 328;
    QTest::newRow("voltage on the top edge") << true << "4" << 73;
}

void TestChartWindows::gridLiesOverTheTrace() {
    QFETCH(bool, voltage);
    QFETCH(QString, reading);
    QFETCH(int, y);
    // The grid line alone, as the first tick draws it.
    OpenCharts bare;
    bare.ticks(bare.chart(voltage), 1, QStringLiteral("OL"));
    const QImage grid = bare.chart(voltage)->image().copy();

    OpenCharts f;
    StripChartWindow* c = f.chart(voltage);
    f.ticks(c, 100, reading);
    // Behind the newest segment the grid is on top: its dots (or the solid centre line) show,
    // and the trace shows only between them.
    int red = 0;
    for (int x = OriginX + 2; x <= OriginX + 90; ++x) {
        if ((x - OriginX) % 30 == 0) {
            continue;  // time lines and half marks cross here
        }
        const QColor line = pixelAt(grid, x, y);
        const QColor want = line == White ? Red : line;
        QVERIFY2(pixelAt(c->image(), x, y) == want, qPrintable(QString::number(x)));
        red += want == Red;
    }
    QCOMPARE(red > 0, !voltage || reading != u"0");
}

void TestChartWindows::shownAsDrawn_data() {
    QTest::addColumn<bool>("voltage");
    QTest::addColumn<float>("step");
    QTest::newRow("resistance, 1 pixel") << false << 1.0f;
    QTest::newRow("voltage, 1 pixel") << true << 1.0f;
    QTest::newRow("voltage, 0.7 pixel") << true << 0.7f;
    QTest::newRow("resistance, 42 pixels") << false << 42.0f;
}

void TestChartWindows::shownAsDrawn() {
    QFETCH(bool, voltage);
    QFETCH(float, step);
    // A tick repaints only what changed on screen; after many ticks, a wrap and readings on
    // and across the grid lines, the window must show what the chart holds.
    OpenCharts f;
    f.app.meter.GraphStep = step;
    StripChartWindow* c = f.chart(voltage);
    QCoreApplication::processEvents();
    const QStringList readings{"OL", "20", "-3", "30", "----", "0", "10", "4", "-OL", "2.5"};
    for (int i = 0; i < 700; ++i) {
        f.ticks(c, 1, readings.at((i / 3 + i % 7) % readings.size()));
        QCoreApplication::processEvents();
    }
    const QImage shown = c->screen()->grabWindow(c->winId()).toImage();
    const QRect below(0, c->toolbar()->height(), c->width(), c->height());
    QCOMPARE(shown.convertToFormat(QImage::Format_RGB32).copy(below), c->image().copy(below));
}

void TestChartWindows::stripErasedAndNoJoinOnWrap() {
    OpenCharts f;
    const int oldY = 328;  // "5"
    const int newY = 182;  // "25"
    f.ticks(f.x, PlotWidth, QStringLiteral("5"));
    QCOMPARE(f.x->sweep().TraceX(), float(PlotWidth - 1));
    QCOMPARE(pixelAt(f.x->image(), OriginX + 1, oldY), Red);

    f.ticks(f.x, 1, QStringLiteral("25"));
    QCOMPARE(f.x->sweep().TraceX(), 0.0f);
    QCOMPARE(pixelAt(f.x->image(), OriginX + 1, oldY), White);
    QCOMPARE(pixelAt(f.x->image(), OriginX + 2, oldY), Red);
    // No line from the right edge back to the left: only the old trace in the middle.
    QCOMPARE(redInColumn(f.x->image(), OriginX + PlotWidth / 2), 1);

    f.ticks(f.x, 1, QStringLiteral("25"));
    QCOMPARE(pixelAt(f.x->image(), OriginX, newY), Red);
    QCOMPARE(pixelAt(f.x->image(), OriginX + 1, newY), Red);
}

void TestChartWindows::timeLabelsAndHalfMarks() {
    OpenCharts f;
    f.ticks(f.x, 1, QStringLiteral("5"));
    QCOMPARE(f.x->timeLabel(), QStringLiteral("10:20:30"));
    f.ticks(f.x, 60, QStringLiteral("5"));  // nine seconds on, TraceX 60
    QCOMPARE(f.x->timeLabel(), QStringLiteral("10:20:39"));

    const QImage& image = f.x->image();
    int lineDots = 0;
    for (int y = OriginY - 291 - 10; y <= OriginY; ++y) {
        lineDots += pixelAt(image, OriginX + 60, y) == Grey;
    }
    QVERIFY(lineDots > 80);
    int ink = 0;
    for (int x = OriginX + 60 - 25; x <= OriginX + 60 + 25; ++x) {
        for (int y = OriginY + 10; y <= OriginY + 24; ++y) {
            ink += qGray(image.pixel(x, y)) < 128;
        }
    }
    QVERIFY(ink > 20);
    // The half mark at 30 crosses the middle from 3.8 to 4.2 eighths of the height.
    QCOMPARE(pixelAt(image, OriginX + 30, 215), Grey);
    QCOMPARE(pixelAt(image, OriginX + 30, 205), White);
    QCOMPARE(pixelAt(image, OriginX + 31, 215), White);
}

void TestChartWindows::sizesSnapAndNeverBreak_data() {
    QTest::addColumn<bool>("voltage");
    QTest::addColumn<QSize>("asked");
    QTest::addColumn<QSize>("got");
    QTest::newRow("resistance below its minimum") << false << QSize(10, 10) << QSize(120, 200);
    QTest::newRow("voltage below its minimum") << true << QSize(10, 10) << QSize(293, 391);
    QTest::newRow("narrow and tall") << false << QSize(121, 3000) << QSize(121, 3000);
    QTest::newRow("wider than any screen") << false << QSize(100000, 300) << QSize(8192, 300);
}

void TestChartWindows::sizesSnapAndNeverBreak() {
    QFETCH(bool, voltage);
    QFETCH(QSize, asked);
    QFETCH(QSize, got);
    OpenCharts f;
    StripChartWindow* c = f.chart(voltage);
    f.ticks(c, 50, QStringLiteral("5"));
    c->resize(asked);
    QCOMPARE(c->size(), got);
    QCOMPARE(c->image().size(), got);
    // A resize clears the trace and starts the sweep again at the left edge.
    QCOMPARE(c->sweep().TraceX(), -1.0f);
    QCOMPARE(c->sweep().PrevPointX(), 0.0f);
    for (int x = OriginX; x < OriginX + 60; ++x) {
        QCOMPARE(redInColumn(c->image(), x), 0);
    }
    f.ticks(c, 130, QStringLiteral("OL"));
    QVERIFY(c->sweep().TraceX() < c->chartLayout().PlotWidth || c->chartLayout().PlotWidth == 0);
}

void TestChartWindows::graphOpenFollowsClosing_data() {
    QTest::addColumn<bool>("voltageFirst");
    QTest::newRow("resistance first") << false;
    QTest::newRow("voltage first") << true;
}

void TestChartWindows::graphOpenFollowsClosing() {
    QFETCH(bool, voltageFirst);
    OpenCharts f;
    StripChartWindow* first = f.chart(voltageFirst);
    first->timer1().start();
    first->close();
    QVERIFY(!first->timer1().isActive());
    QVERIFY(f.app.meter.GraphOpen);
    f.chart(!voltageFirst)->close();
    QVERIFY(!f.app.meter.GraphOpen);
}

void TestChartWindows::restartOnRangeChange() {
    OpenCharts f;
    QPointer<RealTimeX> oldX = f.x;
    QPointer<RealTimeY> oldY = f.y;
    f.app.meter.GraphStep = 0.5f;

    RestartGraphsOnRangeChange(f.app);  // same range: nothing happens
    QCOMPARE(f.app.windows().find<RealTimeX>(), oldX.data());

    DecodeStatus(f.app.meter, 0x07);  // the voltage range goes from 4 V to 40 V
    RestartGraphsOnRangeChange(f.app);
    const Meter& m = f.app.meter;
    QVERIFY(m.GraphOpen);
    QCOMPARE(m.GraphRangeCode, qint16(7));
    QCOMPARE(m.GraphVoltMax, qint16(40));
    QCOMPARE(m.GraphVoltMin, qint16(-40));
    QCOMPARE(m.GraphOhmMax, qint16(40));
    QCOMPARE(m.GraphStep, 1.0f);
    RealTimeX* x = f.app.windows().find<RealTimeX>();
    RealTimeY* y = f.app.windows().find<RealTimeY>();
    QVERIFY(x && y && x != oldX.data() && y != oldY.data());
    for (StripChartWindow* c :
         {static_cast<StripChartWindow*>(x), static_cast<StripChartWindow*>(y)}) {
        QVERIFY(c->isVisible());
        QVERIFY(c->timer1().isActive());
        QCOMPARE(c->timer1().interval(), 150);
    }
    QTRY_VERIFY(!oldX && !oldY);

    // Once both are closed a range change leaves them closed.
    x->close();
    y->close();
    DecodeStatus(f.app.meter, 0x03);
    RestartGraphsOnRangeChange(f.app);
    QVERIFY(!f.app.windows().find<RealTimeX>() && !f.app.windows().find<RealTimeY>());
}

void TestChartWindows::graphCommandKeepsOpenCharts() {
    OpenCharts f;
    f.ticks(f.x, 10, QStringLiteral("5"));
    f.app.meter.GraphStep = 0.5f;
    f.app.meter.GraphOhmMax = 20;
    OpenGraphsCommand(f.app);
    QCOMPARE(f.app.windows().find<RealTimeX>(), f.x);
    QCOMPARE(f.app.meter.GraphStep, 1.0f);
    QCOMPARE(f.app.meter.GraphOhmMax, qint16(40));
    QCOMPARE(f.x->sweep().TraceX(), 9.0f);  // the trace goes on
    QVERIFY(f.x->timer1().isActive());
}

void TestChartWindows::toolbarButtons() {
    OpenCharts f;
    f.x->findChild<QAction*>(QStringLiteral("Print"))->trigger();
    QVERIFY(f.x->toolbar()->isVisible());
    f.y->findChild<QAction*>(QStringLiteral("Limit"))->trigger();
    QVERIFY(f.app.windows().isVisible<RealTimeRange>());
}
