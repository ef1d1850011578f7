#pragma once

#include "app/AppWindow.h"

class Grid;

// One logger set as a list of readings.
class DataList : public AppWindow {
    Q_OBJECT

public:
    explicit DataList(App& app);
    Grid& grid() { return *grid_; }

private:
    Grid* grid_;
};
