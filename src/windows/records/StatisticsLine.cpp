#include "windows/records/StatisticsLine.h"

#include "platform/GridModel.h"

StatisticsLine::StatisticsLine(GridModel& grid, std::function<QString()> ohmUnit, QWidget* parent)
    : QLabel(parent), grid_(grid), ohmUnit_(std::move(ohmUnit)) {
    setObjectName(QStringLiteral("LblStatistics"));
    setAccessibleDescription(QStringLiteral("Statistics of the list"));
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setWordWrap(true);
    refresh_.setSingleShot(true);
    refresh_.setInterval(0);
    connect(&refresh_, &QTimer::timeout, this, &StatisticsLine::writeText);

    // The model's rows are the data rows: its row r is the grid's row r + 1.
    connect(&grid, &GridModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
        stats_.addRows(grid_, first + 1, last + 1);
        showSoon();
    });
    connect(&grid, &GridModel::rowsRemoved, this, &StatisticsLine::recount);
    connect(&grid, &GridModel::modelReset, this, &StatisticsLine::recount);
    connect(&grid, &GridModel::dataChanged, this, &StatisticsLine::recount);
    // A header that changes may change the unit.
    connect(&grid, &GridModel::headerDataChanged, this, &StatisticsLine::showSoon);
    recount();
    writeText();
}

void StatisticsLine::recount() {
    stats_.clear();
    stats_.addRows(grid_, 1, grid_.Rows() - 1);
    showSoon();
}

void StatisticsLine::showSoon() {
    refresh_.start();
}

void StatisticsLine::writeText() {
    setText(stats_.line(ohmUnit_()));
}
