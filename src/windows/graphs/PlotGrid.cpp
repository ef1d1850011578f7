#include "windows/graphs/PlotGrid.h"

#include "core/layout/DataPlot.h"
#include "windows/common/App.h"
#include "windows/graphs/ListPlot2.h"

void PlotGrid(App& app, ListPlot2& plot, const GridModel& grid) {
    const DataPlot::Plot result = DataPlot::build(app.transfer, grid);
    if (!result.ok) {
        plot.unload();
        return;
    }
    plot.showValueLabels(result.labels);
    if (!result.curves) {
        return;
    }
    plot.showTimes(result.LblT1, result.LblT2, result.LblT3);
    plot.showSeriesNames(result.LblFun1, result.LblFun2);
    plot.drawCurves(result.ohm, result.volt);
}
