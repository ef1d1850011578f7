#pragma once

#include "windows/common/AppWindow.h"

class QLineEdit;
class QPushButton;

// The scales of the live charts and the number of points across them. "OK" checks them
// against the present range's limits, stores them and reopens both charts.
class RealTimeRange : public AppWindow {
    Q_OBJECT

  public:
    explicit RealTimeRange(App& app);

    void ok();

  private:
    QLineEdit* textXMax_;
    QLineEdit* textXMin_;
    QLineEdit* textYMax_;
    QLineEdit* textYMin_;
    QLineEdit* textCounts_;
};
