#include "windows/graphs/PlotCommands.h"

#include "platform/GridModel.h"
#include "platform/TextRules.h"
#include "windows/common/App.h"
#include "windows/graphs/ListPlot2.h"
#include "windows/graphs/PlotGrid.h"

void ShowPlot(App& app, GridModel& source) {
    // The plot is always built afresh; a loaded but hidden window is reused.
    if (app.windows().isVisible<ListPlot2>()) {
        app.windows().unload<ListPlot2>();
    }
    ListPlot2& plot = app.windows().get<ListPlot2>();
    plot.show();
    plot.raise();
    PlotGrid(app, plot, source);
}

void OfferPlotSource(App& app, PlotSource from, QWidget& window, GridModel& grid) {
    app.offerPlotSource(int(from), window, grid);
}

void PlotList(App& app, GridModel& source, PlotSource from, QStringView ohmRangeText,
              QStringView voltRangeText) {
    FileTransfer& t = app.transfer;
    t.PlotFromDataList = from == PlotSource::DataList;
    t.PlotFromFileList = from == PlotSource::FileList;
    t.PlotOhmLimitMax = float(TextRules::LeadingNumber(ohmRangeText));
    t.PlotVoltLimitMax = float(TextRules::LeadingNumber(voltRangeText));
    t.PlotOhmLimitMin = 0;
    t.PlotVoltLimitMin = 0;
    t.PlotRowCount = float(source.Rows() - 1);
    t.PlotPointCount = t.PlotRowCount;
    t.PlotLastRow = t.PlotRowCount;
    t.PlotOhmTop = t.PlotOhmLimitMax;
    t.PlotOhmBottom = t.PlotOhmLimitMin;
    t.PlotVoltTop = t.PlotVoltLimitMax;
    t.PlotVoltBottom = t.PlotVoltLimitMin;
    t.PlotFirstRow = 1;
    ShowPlot(app, source);
}
