// Draws the live charts after a minute of simulated readings and the plot of a recorded list,
// offscreen, and saves them as PNG files into the folder given (default /tmp).
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QtMath>

#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "core/meter/Decode.h"
#include "platform/Clock.h"
#include "platform/TextRules.h"
#include "platform/widgets/Grid.h"
#include "windows/common/App.h"
#include "windows/graphs/GraphCommands.h"
#include "windows/graphs/ListPlot2.h"
#include "windows/graphs/Plot2Range.h"
#include "windows/graphs/PlotCommands.h"
#include "windows/graphs/RealTimeRange.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"
#include "windows/records/FileList.h"

namespace {

// A battery under a slowly varying load: resistance about 12 mOhm, voltage about 3.7 V.
QString ohmAt(double seconds) {
    return QString::number(12.3 + 1.5 * qSin(seconds / 9.0) + 0.2 * qSin(seconds * 1.7), 'f', 2);
}

QString voltAt(double seconds) {
    return QString::number(3.71 - 0.004 * seconds + 0.05 * qSin(seconds / 5.0), 'f', 3);
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp");
    QDir().mkpath(folder);

    ScriptedDialogs dialogs;
    ManualClock clock;
    RecordingShell shell;
    App app(dialogs, clock, shell);

    DecodeStatus(app.meter, 0x03);  // 40 mOhm, 4 V
    OpenGraphsCommand(app);
    RealTimeX& x = app.windows().get<RealTimeX>();
    RealTimeY& y = app.windows().get<RealTimeY>();
    x.timer1().stop();
    y.timer1().stop();
    QCoreApplication::processEvents();

    // A minute at the receive tick's 150 ms.
    for (int tick = 0; tick < 400; ++tick) {
        const double seconds = tick * 0.15;
        app.meter.OhmText = tick >= 330 && tick < 338 ? QStringLiteral("OL") : ohmAt(seconds);
        app.meter.VoltText = voltAt(seconds);
        x.tick();
        y.tick();
        clock.advanceMs(App::timer1Interval());
    }
    QCoreApplication::processEvents();
    x.grab().save(folder + QStringLiteral("/graphs_realtimex.png"));
    y.grab().save(folder + QStringLiteral("/graphs_realtimey.png"));

    // Twenty seconds more: the sweep wraps and overwrites the oldest part of the trace.
    for (int tick = 400; tick < 533; ++tick) {
        const double seconds = tick * 0.15;
        app.meter.OhmText = ohmAt(seconds);
        app.meter.VoltText = voltAt(seconds);
        x.tick();
        y.tick();
        clock.advanceMs(App::timer1Interval());
    }
    QCoreApplication::processEvents();
    x.grab().save(folder + QStringLiteral("/graphs_realtimex_wrapped.png"));
    // The sweep front after the wrap, four times enlarged, to check single pixels.
    const QImage front = x.image().copy(QRect(0, 180, 200, x.height() - 180));
    front.scaled(front.size() * 4).save(folder + QStringLiteral("/graphs_realtimex_front.png"));

    // A recording of a lithium cell discharged for twenty minutes, a sample every two seconds;
    // the probes were lifted for a moment near the end.
    FileList& list = app.windows().get<FileList>();
    GridModel& grid = list.grid().model();
    for (int c = 0; c < 5; ++c) {
        grid.setText(0, c, QStringList{"No.s", "Date", "Time", "Ohm", "Voltage"}.at(c));
    }
    QString stamp = QStringLiteral("2021/07/01 10:20:30");
    QVector<QStringList> rows;
    for (int i = 1; i <= 600; ++i) {
        const double t = i / 600.0;
        const bool lifted = i > 470 && i < 478;
        const double volt = 3.95 - 0.45 * t - 0.25 * qPow(t, 6) + 0.004 * qSin(i * 1.3);
        const double ohm = 22.0 + 4.0 * t + 3.0 * qPow(t, 8) + 0.15 * qSin(i * 0.7);
        rows.append({QString::number(i), TextRules::StampDate(stamp), TextRules::StampTime(stamp),
                     lifted ? QStringLiteral("OL") : QString::number(ohm, 'f', 2),
                     lifted ? QStringLiteral("0.000") : QString::number(volt, 'f', 3)});
        stamp = TextRules::AddSeconds(stamp, 2);
    }
    grid.appendRows(rows);
    FileTransfer& s = app.transfer;
    s.PlotFromFileList = true;
    s.PlotFromDataList = false;
    s.PlotOhmLimitMax = 40;
    s.PlotVoltLimitMax = 4;
    s.PlotOhmLimitMin = s.PlotVoltLimitMin = 0;
    s.PlotRowCount = grid.Rows() - 1;
    s.PlotPointCount = s.PlotLastRow = s.PlotRowCount;
    s.PlotOhmTop = s.PlotOhmLimitMax;
    s.PlotOhmBottom = s.PlotOhmLimitMin;
    s.PlotVoltTop = s.PlotVoltLimitMax;
    s.PlotVoltBottom = s.PlotVoltLimitMin;
    s.PlotFirstRow = 1;
    ShowPlot(app, grid);
    QCoreApplication::processEvents();
    if (ListPlot2* plot = app.windows().find<ListPlot2>()) {
        plot->grab().save(folder + QStringLiteral("/graphs_listplot2.png"));
    }

    RealTimeRange& chartRange = app.windows().get<RealTimeRange>();
    chartRange.show();
    Plot2Range& plotRange = app.windows().get<Plot2Range>();
    plotRange.show();
    QCoreApplication::processEvents();
    chartRange.grab().save(folder + QStringLiteral("/graphs_realtimerange.png"));
    plotRange.grab().save(folder + QStringLiteral("/graphs_plot2range.png"));
    return 0;
}
