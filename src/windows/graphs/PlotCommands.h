#pragma once

#include <QStringView>

class App;
class GridModel;
class QWidget;

// Plots a five-column list in a fresh plot window; the caller has filled the plot state.
void ShowPlot(App& app, GridModel& source);

// Which list window a plot was made from, so that the range dialog can plot it again.
enum class PlotSource { FileList, DataList };

// A list window offers its grid for the plots made from it, until the window goes.
void OfferPlotSource(App& app, PlotSource from, QWidget& window, GridModel& grid);

// A list window's "Plot": the scales start at the list's ranges (the number at the start of
// each range text) over all of its rows.
void PlotList(App& app, GridModel& source, PlotSource from, QStringView ohmRangeText,
              QStringView voltRangeText);
