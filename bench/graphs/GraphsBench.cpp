// Times a live chart tick on a full-screen window and the plot of the longest list.
#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "app/App.h"
#include "app/Decode.h"
#include "graphs/GraphCommands.h"
#include "graphs/ListPlot2.h"
#include "graphs/PlotCommands.h"
#include "graphs/RealTimeY.h"
#include "platform/Clock.h"
#include "platform/GridModel.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QTextStream out(stdout);
    ScriptedDialogs dialogs;
    ManualClock clock;
    RecordingShell shell;
    App app(dialogs, clock, shell);

    DecodeStatus(app.meter, 0x07);  // 40 V: the voltage chart with all its lines
    OpenGraphsCommand(app);
    RealTimeY& chart = app.windows().get<RealTimeY>();
    chart.timer1().stop();
    chart.resize(1920, 1080);
    QCoreApplication::processEvents();

    constexpr int Ticks = 20000;
    QElapsedTimer timer;
    qint64 drawNs = 0;
    qint64 paintNs = 0;
    for (int i = 0; i < Ticks; ++i) {
        app.meter.VoltText = QString::number(-40 + (i % 800) * 0.1, 'f', 2);
        timer.start();
        chart.tick();
        drawNs += timer.nsecsElapsed();
        timer.start();
        QCoreApplication::processEvents();  // paints the dirty rectangle
        paintNs += timer.nsecsElapsed();
        clock.advanceMs(App::timer1Interval());
    }
    out << "tick on 1920x1080: draw " << drawNs / Ticks / 1000.0 << " us, repaint "
        << paintNs / Ticks / 1000.0 << " us (mean of " << Ticks << ")\n";

    GridModel grid;
    const QStringList header{"No.s", "Date", "Time", "Ohm", "Voltage"};
    for (int c = 0; c < 5; ++c) {
        grid.setText(0, c, header.at(c));
    }
    QVector<QStringList> rows;
    constexpr int Rows = 69999;
    for (int i = 1; i <= Rows; ++i) {
        rows.append({QString::number(i), QStringLiteral("2021/07/01"), QStringLiteral("10:20:30"),
                     QString::number(10 + (i % 97) * 0.25, 'f', 2),
                     QString::number(-4 + (i % 131) * 0.06, 'f', 3)});
    }
    grid.appendRows(rows);
    FileTransfer& s = app.transfer;
    s.PlotOhmLimitMax = s.PlotOhmTop = 40;
    s.PlotVoltLimitMax = s.PlotVoltTop = 4;
    s.PlotRowCount = s.PlotPointCount = s.PlotLastRow = Rows;
    s.PlotFirstRow = 1;
    for (int run = 0; run < 3; ++run) {
        timer.start();
        ShowPlot(app, grid);
        const qint64 plotNs = timer.nsecsElapsed();
        timer.start();
        QCoreApplication::processEvents();
        out << "plot of " << Rows << " rows: " << plotNs / 1e6 << " ms, shown in "
            << timer.nsecsElapsed() / 1e6 << " ms more\n";
    }
    return 0;
}
