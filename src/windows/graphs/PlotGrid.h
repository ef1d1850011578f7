#pragma once

class App;
class GridModel;
class ListPlot2;

// Draws a five-column list into the plot window from the plot state the opener has filled:
// the value labels, then (with two points or more) the time labels, the series names and the
// curves. A failure (a scale of zero span, a row beyond the grid) closes the plot window
// without a message.
void PlotGrid(App& app, ListPlot2& plot, const GridModel& grid);
