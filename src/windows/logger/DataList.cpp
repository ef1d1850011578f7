#include "windows/logger/DataList.h"

#include <QAction>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/logger/SetListing.h"
#include "core/records/ListLayout.h"
#include "platform/widgets/BusyCursor.h"
#include "platform/widgets/Dialogs.h"
#include "platform/widgets/Grid.h"
#include "windows/common/App.h"
#include "windows/graphs/PlotCommands.h"
#include "windows/print/PrintGrid.h"
#include "windows/records/ListWindow.h"
#include "windows/records/SaveGrid.h"
#include "windows/records/StatisticsLine.h"

DataList::DataList(App& app) : AppWindow(app), grid_(new Grid(ListLayout::Columns, this)) {
    setObjectName(QStringLiteral("DataList"));
    setWindowTitle(QStringLiteral("Data List"));
    OfferPlotSource(app, PlotSource::DataList, *this, grid_->model());
    toolbar_ = ListWindow::toolbar(this,
                                   {{QStringLiteral("Save"), QStringLiteral("Save As")},
                                    {QStringLiteral("Plot"), QStringLiteral("Plot")},
                                    {QStringLiteral("Print"), QStringLiteral("Print")}},
                                   [this](const QString& key) { toolbarClick(key); });
    for (QAction* action : toolbar_->actions()) {
        buttons_.insert(action->objectName(), action);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(toolbar_);
    layout->addWidget(grid_);
    layout->addWidget(new StatisticsLine(
        grid_->model(), [&app] { return ListStatistics::ohmUnit(app.transfer.SetOhmRangeText); },
        this));
    grid_->setAccessibleName(QStringLiteral("Readings"));
    // Wide enough for all five columns, as the other list windows open.
    resize(480, 420);

    ListWindow::placeBesidePanel(app, *this);
}

void DataList::toolbarClick(const QString& key) {
    if (key == QStringLiteral("Save")) {
        save();
    } else if (key == QStringLiteral("Plot")) {
        plot();
    } else if (key == QStringLiteral("Print")) {
        print();
    }
}

void DataList::save() {
    App& a = app();
    if (a.transfer.Recording) {
        a.dialogs().message(this, Dialogs::Icon::Critical, Dialogs::appTitle(), recordingRefusal());
        return;
    }
    // The file dialog belongs to the main window.
    QWidget* panel = a.mainWindow();
    SaveAsDialog(a, panel ? panel : this);
    BusyCursor busy;
    // The file's header carries the set's ranges; the list shows bare units.
    GridModel& model = grid_->model();
    SetListing::UseSavedHeader(model, a.transfer.SetOhmRangeText, a.transfer.SetVoltRangeText);
    if (a.transfer.SaveAccepted) {
        SaveGrid(a, *this, model);
    }
    model.setText(0, ListLayout::Ohm, QStringLiteral(" Ohm"));
    model.setText(0, ListLayout::Volt, QStringLiteral(" Voltage"));
}

void DataList::plot() {
    const FileTransfer& t = app().transfer;
    PlotList(app(), grid_->model(), PlotSource::DataList, t.SetOhmRangeText, t.SetVoltRangeText);
}

void DataList::print() {
    PrintGrid(app(), this, grid_->model());
}
