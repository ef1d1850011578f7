#pragma once

class App;
class GridModel;
class QWidget;

// Prints a grid as a ruled table with page numbers, after the printer dialog.
void PrintGrid(App& app, QWidget* parent, const GridModel& grid);
