#include "windows/records/List.h"

#include <QToolBar>
#include <QVBoxLayout>

#include "core/records/ListLayout.h"
#include "core/records/RecordFormat.h"
#include "platform/widgets/Dialogs.h"
#include "platform/widgets/Grid.h"
#include "windows/common/App.h"
#include "windows/print/PrintGrid.h"
#include "windows/records/ListWindow.h"
#include "windows/records/SaveGrid.h"
#include "windows/records/StatisticsLine.h"

List::List(App& app) : AppWindow(app), grid_(new Grid(ListLayout::Columns, this)) {
    setObjectName(QStringLiteral("List"));
    setWindowTitle(QStringLiteral("Real Time List"));
    toolbar_ = ListWindow::toolbar(this,
                                   {{QStringLiteral("Save"), QStringLiteral("Save")},
                                    {QStringLiteral("Print"), QStringLiteral("Print")}},
                                   [this](const QString& key) { toolbarClick(key); });
    grid_->setAccessibleName(QStringLiteral("Real time samples"));
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(toolbar_);
    layout->addWidget(grid_);
    // A live list stands in one range: the meter's now.
    layout->addWidget(new StatisticsLine(
        grid_->model(),
        [&app] {
            return ListStatistics::ohmUnit(
                RecordFormat::ohmHeader(app.meter.OhmRange, app.meter.MilliOhmUnit));
        },
        this));

    ListWindow::placeBesidePanel(app, *this);
    ListWindow::setWidths(*grid_);
    for (int col = 0; col < ListLayout::Columns; ++col) {
        grid_->model().setText(0, col, ListLayout::header(col));
    }
    // Opens showing the header and OpeningRows whole rows in its own font, every column in
    // view; a width sample is its column's widest text between blanks.
    QStringList widest;
    for (int col = 0; col < ListLayout::Columns; ++col) {
        widest.append(ListLayout::widthSample(col).trimmed());
    }
    grid_->setRowsHint(OpeningRows, widest);
    resize(sizeHint());
}

void List::addRow(const QString& tabText) {
    GridModel& model = grid_->model();
    grid_->setCurrent(model.Rows() - 1, grid_->currentCol());
    // One row down from where the view stands, so that a person who scrolled back keeps the
    // rows in sight; moved once the new row is in, which the view can then scroll to.
    const bool follow = grid_->currentRow() > OpeningRows - 1;
    const int top = grid_->topRow() + 1;
    model.addItem(tabText);
    if (follow) {
        grid_->setTopRow(top);
    }
}

void List::toolbarClick(const QString& key) {
    if (key == QStringLiteral("Save")) {
        save();
    } else if (key == QStringLiteral("Print")) {
        PrintGrid(app(), this, grid_->model());
    }
}

void List::save() {
    App& a = app();
    if (a.transfer.Recording) {
        a.dialogs().message(this, Dialogs::Icon::Critical, Dialogs::appTitle(),
                            QStringLiteral("Aready in recording mode, close it and try again !"));
        return;
    }
    // The unit goes into the header only for the file; the list itself reads "Ohm", "Voltage".
    GridModel& model = grid_->model();
    model.setText(0, ListLayout::Ohm,
                  RecordFormat::ohmHeader(a.meter.OhmRange, a.meter.MilliOhmUnit));
    model.setText(0, ListLayout::Volt, RecordFormat::voltHeader(a.meter.VoltRange));
    SaveAsDialog(a, this);
    if (a.transfer.SaveAccepted) {
        SaveGrid(a, *this, model);
    }
    model.setText(0, ListLayout::Ohm, ListLayout::header(ListLayout::Ohm));
    model.setText(0, ListLayout::Volt, ListLayout::header(ListLayout::Volt));
    ListWindow::setWidths(*grid_, ListLayout::Ohm, ListLayout::Volt);
}

void List::onUnload() {
    app().transfer.ListCount = 0;
    app().transfer.ListOpen = false;
}
