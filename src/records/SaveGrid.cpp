#include "records/SaveGrid.h"

#include <QWidget>

#include "app/App.h"
#include "platform/GridModel.h"

void SaveAsDialog(App& app, QWidget* parent) {
    Q_UNUSED(parent);
    app.transfer.SaveAccepted = false;
}

void SaveGrid(App& app, QWidget& progressWindow, const GridModel& grid) {
    Q_UNUSED(progressWindow);
    Q_UNUSED(grid);
    app.transfer.SaveAccepted = false;
}
