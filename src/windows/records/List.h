#pragma once

#include "windows/common/AppWindow.h"

class Grid;
class QToolBar;

// "Real Time List": the samples as a growing list, one row per sampling tick while the list is
// open; it can be saved as a recording file or printed.
class List : public AppWindow {
    Q_OBJECT

  public:
    // Data rows shown at the opening size; from the next row on the view follows the newest.
    static constexpr int OpeningRows = 20;

    explicit List(App& app);

    Grid& grid() { return *grid_; }
    QToolBar* toolbar() const { return toolbar_; }

    // Appends a sample row (number TAB sample line); from the 21st row on the view follows.
    void addRow(const QString& tabText);
    // The window's toolbar: "Save" and "Print".
    void toolbarClick(const QString& key);

  protected:
    void onUnload() override;

  private:
    void save();

    Grid* grid_;
    QToolBar* toolbar_;
};
