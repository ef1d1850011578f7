#pragma once

#include "app/AppWindow.h"

class Grid;

// An opened recording file as a list of readings.
class FileList : public AppWindow {
    Q_OBJECT

public:
    explicit FileList(App& app);
    Grid& grid() { return *grid_; }

private:
    Grid* grid_;
};
