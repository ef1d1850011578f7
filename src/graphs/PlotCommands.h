#pragma once

class App;
class GridModel;

// Plots a five-column list in a fresh plot window; the caller has filled the plot state.
void ShowPlot(App& app, GridModel& source);
