#include "records/LiveList.h"

#include "app/App.h"

void RestartListOnRangeChange(App& app) { Q_UNUSED(app); }
