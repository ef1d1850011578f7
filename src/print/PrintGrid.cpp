#include "print/PrintGrid.h"

#include "app/App.h"
#include "platform/GridModel.h"

void PrintGrid(App& app, QWidget* parent, const GridModel& grid) {
    Q_UNUSED(app);
    Q_UNUSED(parent);
    Q_UNUSED(grid);
}
