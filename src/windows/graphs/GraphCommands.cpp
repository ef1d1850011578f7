#include "windows/graphs/GraphCommands.h"

#include "windows/common/App.h"
#include "windows/graphs/RealTimeX.h"
#include "windows/graphs/RealTimeY.h"

namespace {

// The scales of the present range, a step of one pixel per tick.
void SetScalesFromLimits(Meter& meter) {
    meter.GraphRangeCode = meter.RangeCode;
    meter.GraphOhmMax = meter.OhmLimitMax;
    meter.GraphOhmMin = meter.OhmLimitMin;
    meter.GraphVoltMax = meter.VoltLimitMax;
    meter.GraphVoltMin = meter.VoltLimitMin;
    meter.GraphOpen = true;
    meter.GraphStep = 1.0f;
}

template <class Chart>
Chart& ShowChart(App& app) {
    Chart& chart = app.windows().get<Chart>();
    chart.show();
    chart.raise();
    return chart;
}

template <class Chart>
void StartTimer(Chart& chart) {
    chart.timer1().setInterval(App::timer1Interval());
    chart.timer1().start();
}

}  // namespace

void ShowGraphs(App& app) {
    RealTimeX& x = ShowChart<RealTimeX>(app);
    RealTimeY& y = ShowChart<RealTimeY>(app);
    StartTimer(x);
    StartTimer(y);
}

void OpenGraphsCommand(App& app) {
    SetScalesFromLimits(app.meter);
    ShowGraphs(app);
}

void RestartGraphsOnRangeChange(App& app) {
    Meter& meter = app.meter;
    if (!meter.GraphOpen || meter.GraphRangeCode == meter.RangeCode) {
        return;
    }
    if (app.windows().isVisible<RealTimeX>()) {
        app.windows().unload<RealTimeX>();
    }
    if (app.windows().isVisible<RealTimeY>()) {
        app.windows().unload<RealTimeY>();
    }
    SetScalesFromLimits(meter);
    ShowGraphs(app);
    app.dialogs().bringShownToFront();
}
