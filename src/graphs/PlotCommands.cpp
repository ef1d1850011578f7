#include "graphs/PlotCommands.h"

#include "app/App.h"
#include "graphs/ListPlot2.h"
#include "graphs/PlotGrid.h"
#include "platform/GridModel.h"

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
