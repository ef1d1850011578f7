#pragma once

#include <QLabel>
#include <QTimer>
#include <functional>

#include "core/records/ListStatistics.h"

class GridModel;

// The line under a list's grid: how many rows, and the least, greatest and mean resistance and
// voltage. Rows that come in are added to the figures; the text is written once per pass of
// the event loop, however many rows came.
class StatisticsLine : public QLabel {
    Q_OBJECT

  public:
    // `ohmUnit` gives the unit of the list's resistance column, "mOhm" or "Ohm".
    StatisticsLine(GridModel& grid, std::function<QString()> ohmUnit, QWidget* parent);

    const ListStatistics& statistics() const { return stats_; }
    // Writes the line again soon, for a unit that has changed.
    void showSoon();

  private:
    void recount();
    void writeText();

    GridModel& grid_;
    std::function<QString()> ohmUnit_;
    ListStatistics stats_;
    QTimer refresh_;
};
