#include "graphs/GraphCommands.h"

#include "app/App.h"

void OpenGraphsCommand(App& app) { Q_UNUSED(app); }

void RestartGraphsOnRangeChange(App& app) { Q_UNUSED(app); }
