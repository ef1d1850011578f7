// The plot of the longest list (an opened 69,999-line recording) against drawing the same
// number of lines on an image of the plot's size, in the same run; and one live chart tick on a
// full-screen chart against drawing what it draws on an image.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <cmath>

#include "BenchTable.h"
#include "OfflineApp.h"
#include "RecordingShell.h"
#include "SampleData.h"
#include "ScriptedDialogs.h"
#include "core/layout/DataPlot.h"
#include "core/meter/Decode.h"
#include "platform/Clock.h"
#include "platform/widgets/Grid.h"
#include "shell/ToolbarCommands.h"
#include "windows/common/App.h"
#include "windows/graphs/GraphCommands.h"
#include "windows/graphs/ListPlot2.h"
#include "windows/graphs/RealTimeY.h"
#include "windows/records/FileList.h"

namespace {

constexpr int Lines = 69999;
constexpr int Runs = 9;

// Two curves of `segments` segments each, across the plot's frame.
QVector<QLineF> Curves(int segments) {
    QVector<QLineF> lines;
    lines.reserve(2 * segments);
    const double left = DataPlot::LeftX / DataPlot::TwipsPerPixel;
    const double width = (DataPlot::RightX - DataPlot::LeftX) / DataPlot::TwipsPerPixel;
    for (int curve = 0; curve < 2; ++curve) {
        auto at = [&](int i) {
            const double y = 120 + 80 * std::sin(i / (150.0 + 50 * curve)) + (i % 7);
            return QPointF(left + width * i / segments, y);
        };
        for (int i = 0; i < segments; ++i) {
            lines.append(QLineF(at(i), at(i + 1)));
        }
    }
    return lines;
}

// One tick of the voltage chart (a centre line and seven grid lines) on a full-screen chart,
// drawn and repainted, against a bare loop drawing what a tick draws on an image of the same
// size: the strip filled white, the lines across the plot width and one segment.
void TickRow(App& app, ManualClock& clock) {
    using namespace BenchTable;
    DecodeStatus(app.meter, 0x07);  // 40 V: the voltage chart with all its lines
    OpenGraphsCommand(app);
    RealTimeY& chart = app.windows().get<RealTimeY>();
    chart.timer1().stop();
    chart.resize(1920, 1080);
    QCoreApplication::processEvents();
    constexpr int Ticks = 500;
    int reading = 0;
    qint64 drawNs = 0;
    qint64 paintNs = 0;
    auto ticks = [&] {
        QElapsedTimer timer;
        for (int i = 0; i < Ticks; ++i, ++reading) {
            app.meter.VoltText = QString::number(-40 + (reading % 800) * 0.1, 'f', 2);
            timer.start();
            chart.tick();
            drawNs += timer.nsecsElapsed();
            timer.start();
            QCoreApplication::processEvents();  // paints what changed
            paintNs += timer.nsecsElapsed();
            clock.advanceMs(App::timer1Interval());
        }
    };

    const StripChartLayout& layout = chart.chartLayout();
    QImage image(chart.image().size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    auto bare = [&] {
        QPen solid(Qt::black, 1);
        solid.setCosmetic(true);
        QPen dotted(QColor(192, 192, 192), 1, Qt::DotLine);
        dotted.setCosmetic(true);
        QPen red(Qt::red, 1);
        red.setCosmetic(true);
        for (int i = 0; i < Ticks; ++i) {
            const double x = layout.OriginX + (i % int(layout.PlotWidth));
            QPainter painter(&image);
            painter.fillRect(
                QRectF(x, layout.OriginY - layout.PlotHeight - 5, 2, layout.PlotHeight + 9),
                Qt::white);
            painter.setPen(solid);
            painter.drawLine(layout.centreLine());
            painter.setPen(dotted);
            for (double fraction : chart.design().gridFractions) {
                painter.drawLine(layout.gridLine(fraction));
            }
            painter.setPen(red);
            painter.drawLine(
                QLineF(x - 1, layout.OriginY - (i % 97), x, layout.OriginY - (i % 89)));
        }
    };
    ticks();
    drawNs = paintNs = 0;
    const Pair tick = BestOfPairs(Runs, ticks, bare);
    Detail(QStringLiteral("live chart tick on 1920x1080, mean of %1: draw %2 us, repaint %3 us")
               .arg(Runs * Ticks)
               .arg(drawNs / (Runs * Ticks) / 1000.0)
               .arg(paintNs / (Runs * Ticks) / 1000.0));
    RatioRow(QStringLiteral("A live chart tick, drawn and repainted (1920×1080)"),
             tick.figureMs / Ticks, QStringLiteral("what it draws, drawn on an image"),
             tick.baselineMs / Ticks, 3.0);
}

}  // namespace

int main(int argc, char* argv[]) {
    PreferOffscreen();
    QApplication application(argc, argv);
    QTemporaryDir dir;
    OfflineApp<ManualClock> offline;
    App& app = offline.app;
    ManualClock& clock = offline.clock;
    using namespace BenchTable;

    const QString recording = dir.filePath(QStringLiteral("full.Kmk"));
    SampleData::WriteFile(recording, SampleData::Recording(Lines));
    FileList& list = offline.open(recording);
    const int rows = list.grid().model().Rows() - 1;

    auto plot = [&] {
        list.toolbarClick(QStringLiteral("Plot"));
        QCoreApplication::processEvents();  // the plot window painted
    };
    const QVector<QLineF> curves = Curves(rows - 1);
    const QSize size(DataPlot::ClientWidth / DataPlot::TwipsPerPixel,
                     DataPlot::ClientHeight / DataPlot::TwipsPerPixel);
    QImage image;
    auto bare = [&] {
        image = QImage(size, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        QPen pen(Qt::blue, 1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawLines(curves.constData(), int(curves.size()));
    };
    plot();
    const Pair plotting = BestOfPairs(Runs, plot, bare);
    const ListPlot2* window = app.windows().find<ListPlot2>();
    Detail(QStringLiteral("plot: %1 rows, %2 lines drawn by the bare loop, plot shown: %3")
               .arg(rows)
               .arg(curves.size())
               .arg(window && window->isVisible() ? QStringLiteral("yes") : QStringLiteral("no")));
    RatioRow(QStringLiteral("Plotting a 69,999-row list"), plotting.figureMs,
             QStringLiteral("the same number of lines drawn on an image"), plotting.baselineMs,
             2.0);

    app.windows().unload<ListPlot2>();
    app.windows().unload<FileList>();
    TickRow(app, clock);
    return 0;
}
