#pragma once

#include "windows/common/AppWindow.h"

class Grid;
class StatisticsLine;
class QToolBar;

// An opened recording file as a list of readings; it can be plotted or printed.
class FileList : public AppWindow {
    Q_OBJECT

  public:
    explicit FileList(App& app);

    Grid& grid() { return *grid_; }
    QToolBar* toolbar() const { return toolbar_; }

    // Reads a recording file into the grid (cut to its header row first); the caption shows
    // the progress, then the file's title. False, with `error`, when the file cannot be opened
    // or read; the rows read so far stay.
    bool readFile(const QString& path, QString& error);

    // The window's toolbar: "Plot" and "Print".
    void toolbarClick(const QString& key);

  private:
    void plot();

    Grid* grid_;
    QToolBar* toolbar_;
    StatisticsLine* statistics_;
    // The ranges the reader found for this window's file: several lists may be open at once,
    // and each plots in its own file's ranges.
    QString ohmRange_;
    QString voltRange_;
};
