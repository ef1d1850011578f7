#pragma once

#include "windows/graphs/StripChartWindow.h"

// The live chart of the internal resistance.
class RealTimeX final : public StripChartWindow {
    Q_OBJECT

  public:
    explicit RealTimeX(App& app) : StripChartWindow(app, StripChartDesign::ohm()) {}
};
