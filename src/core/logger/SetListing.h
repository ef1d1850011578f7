#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

class GridModel;

// A logger set's list as the data list holds it and as its Save writes it.
namespace SetListing {

// Fills a five-column grid that holds its header row alone with the list of a set's block: the
// list's headers, then one row per record, stamped from `startStamp` ("yyyy/mm/dd hh:nn:ss") on
// by the set's sampling interval. `progress` hears the number of each record as it is decoded.
// Returns the number of records listed.
int Fill(GridModel& grid, const QByteArray& block, const QString& startStamp,
         const std::function<void(qint64)>& progress = {});

// The header a saved set list carries: the set's range texts ("400m Ohm", "40 Voltage", as the
// set's row lists them) over the resistance and voltage columns.
void UseSavedHeader(GridModel& grid, const QString& ohmRangeText, const QString& voltRangeText);

}  // namespace SetListing
