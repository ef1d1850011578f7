#include "core/logger/SetListing.h"

#include "core/logger/LoggerSets.h"
#include "core/records/ListLayout.h"
#include "platform/GridModel.h"

namespace SetListing {

int Fill(GridModel& grid, const QByteArray& block, const QString& startStamp,
         const std::function<void(qint64)>& progress) {
    for (int c = 0; c < ListLayout::Columns; ++c) {
        grid.setText(0, c, ListLayout::header(c));
    }
    QVector<QStringList> rows = LoggerSets::ListRecords(block, startStamp, progress);
    const int listed = int(rows.size());
    grid.appendRows(std::move(rows));
    return listed;
}

void UseSavedHeader(GridModel& grid, const QString& ohmRangeText, const QString& voltRangeText) {
    grid.setText(0, ListLayout::Ohm, ohmRangeText);
    grid.setText(0, ListLayout::Volt, voltRangeText);
}

}  // namespace SetListing
