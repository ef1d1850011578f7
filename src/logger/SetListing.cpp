#include "logger/SetListing.h"

#include "logger/LoggerSets.h"
#include "platform/GridModel.h"
#include "records/ListLayout.h"

namespace SetListing {

void Fill(GridModel& grid, const QByteArray& block, const QString& startStamp) {
    for (int c = 0; c < ListLayout::Columns; ++c) {
        grid.setText(0, c, ListLayout::header(c));
    }
    grid.appendRows(LoggerSets::ListRecords(block, startStamp));
}

void UseSavedHeader(GridModel& grid, const QString& ohmRangeText, const QString& voltRangeText) {
    grid.setText(0, ListLayout::Ohm, ohmRangeText);
    grid.setText(0, ListLayout::Volt, voltRangeText);
}

}  // namespace SetListing
