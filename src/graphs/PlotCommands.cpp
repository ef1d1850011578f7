#include "graphs/PlotCommands.h"

#include "app/App.h"
#include "platform/GridModel.h"

void ShowPlot(App& app, GridModel& source) {
    Q_UNUSED(app);
    Q_UNUSED(source);
}
