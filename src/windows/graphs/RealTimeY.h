#pragma once

#include "windows/graphs/StripChartWindow.h"

// The live chart of the battery voltage.
class RealTimeY final : public StripChartWindow {
    Q_OBJECT

  public:
    explicit RealTimeY(App& app) : StripChartWindow(app, StripChartDesign::volt()) {}
};
