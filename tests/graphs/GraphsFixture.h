#pragma once

#include <QColor>
#include <QImage>

#include "RecordingShell.h"
#include "ScriptedDialogs.h"
#include "platform/Clock.h"
#include "windows/common/App.h"

// A fresh application with scripted dialogs and a clock that moves only when told to.
struct GraphsFixture {
    ScriptedDialogs dialogs;
    ManualClock clock;
    RecordingShell shell;
    App app{dialogs, clock, shell};
};

inline QColor pixelAt(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
}

#include "platform/GridModel.h"
#include "platform/TextRules.h"

// A list of `rows` readings two seconds apart from 10:00:00: resistance 10 + n, voltage
// 0.1 n, with the headers a recording file gives.
inline void FillReadings(GridModel& grid, int rows) {
    const QStringList header{"No.s", "Date", "Time", "Ohm", "Voltage"};
    for (int c = 0; c < grid.Cols(); ++c) {
        grid.setText(0, c, header.value(c));
    }
    QString stamp = QStringLiteral("2021/07/01 10:00:00");
    for (int n = 1; n <= rows; ++n) {
        grid.appendRow({QString::number(n), TextRules::StampDate(stamp),
                        TextRules::StampTime(stamp), QString::number(10 + n),
                        QString::number(0.1 * n)});
        stamp = TextRules::AddSeconds(stamp, 2);
    }
}

// The plot state a list window sets before it plots all of its rows.
inline void PlotAllRows(FileTransfer& s, const GridModel& grid, float ohmMax, float voltMax) {
    s.PlotOhmLimitMax = s.PlotOhmTop = ohmMax;
    s.PlotVoltLimitMax = s.PlotVoltTop = voltMax;
    s.PlotOhmLimitMin = s.PlotOhmBottom = 0;
    s.PlotVoltLimitMin = s.PlotVoltBottom = 0;
    s.PlotRowCount = s.PlotPointCount = s.PlotLastRow = float(grid.Rows() - 1);
    s.PlotFirstRow = 1;
}
