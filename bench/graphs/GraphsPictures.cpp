// Draws the live charts after a minute of simulated readings and the plot of a recorded list,
// offscreen, and saves them as PNG files into the folder given (default /tmp).
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QtMath>

#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "app/App.h"
#include "app/Decode.h"
#include "graphs/GraphCommands.h"
#include "graphs/ListPlot2.h"
#include "graphs/PlotCommands.h"
#include "graphs/RealTimeX.h"
#include "graphs/RealTimeY.h"
#include "platform/Clock.h"
#include "platform/Grid.h"
#include "platform/TextRules.h"
#include "records/FileList.h"

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
    // The sweep front and the last time label, four times enlarged, to check single pixels.
    const QImage front = x.image().copy(QRect(300, 180, 160, x.height() - 180));
    front.scaled(front.size() * 4).save(folder + QStringLiteral("/graphs_realtimex_front.png"));

    // A recording of 600 samples, two seconds apart.
    FileList& list = app.windows().get<FileList>();
    GridModel& grid = list.grid().model();
    for (int c = 0; c < 5; ++c) {
        grid.setText(0, c, QStringList{"No.s", "Date", "Time", "Ohm", "Voltage"}.at(c));
    }
    QString stamp = QStringLiteral("2021/07/01 10:20:30");
    QVector<QStringList> rows;
    for (int i = 1; i <= 600; ++i) {
        const double seconds = i * 2.0;
        const QString ohm = i > 410 && i < 420 ? QStringLiteral("OL") : ohmAt(seconds / 8);
        const QString volt = QString::number(3.9 - 5.5 * i / 600.0 + 0.1 * qSin(i / 20.0), 'f', 3);
        rows.append({QString::number(i), TextRules::StampDate(stamp), TextRules::StampTime(stamp),
                     ohm, volt});
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
    return 0;
}
