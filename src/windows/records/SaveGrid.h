#pragma once

class App;
class GridModel;
class QWidget;

// The save dialog shared by recording and the list windows: sets SaveFileName and
// SaveAccepted.
void SaveAsDialog(App& app, QWidget* parent);
// Writes the rows of a grid, header row included, to SaveFileName; the window's caption shows
// the progress. A failed save leaves the old file whole and says why.
void SaveGrid(App& app, QWidget& progressWindow, const GridModel& grid);
