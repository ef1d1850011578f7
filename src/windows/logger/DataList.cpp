#include "windows/logger/DataList.h"

#include <QAction>
#include <QIcon>
#include <QStyle>
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
#include "windows/records/SaveGrid.h"

DataList::DataList(App& app)
    : AppWindow(app), toolbar_(new QToolBar(this)), grid_(new Grid(ListLayout::Columns, this)) {
    setObjectName(QStringLiteral("DataList"));
    setWindowTitle(QStringLiteral("Data List"));
    OfferPlotSource(app, PlotSource::DataList, *this, grid_->model());
    toolbar_->setObjectName(QStringLiteral("Toolbar1"));
    // Named as in the other list windows: a desktop without an icon theme has no print icon.
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    struct Button {
        const char* key;
        const char* tooltip;
        const char* themeIcon;
        QStyle::StandardPixmap icon;  // where the desktop's theme has none
        QKeySequence::StandardKey shortcut;
    };
    static const Button buttons[] = {
        {"Save", "Save As", "document-save-as", QStyle::SP_DialogSaveButton, QKeySequence::Save},
        {"Plot", "Plot", "office-chart-line", QStyle::SP_FileDialogContentsView,
         QKeySequence::UnknownKey},
        {"Print", "Print", "document-print", QStyle::SP_FileIcon, QKeySequence::Print},
    };
    for (const Button& b : buttons) {
        const QString key = QString::fromLatin1(b.key);
        const QIcon icon =
            QIcon::fromTheme(QString::fromLatin1(b.themeIcon), style()->standardIcon(b.icon));
        QAction* action = toolbar_->addAction(icon, key);
        action->setObjectName(key);
        action->setToolTip(QString::fromLatin1(b.tooltip));
        if (b.shortcut != QKeySequence::UnknownKey) {
            action->setShortcut(b.shortcut);
        }
        buttons_.insert(key, action);
        connect(action, &QAction::triggered, this, [this, key] { toolbarClick(key); });
    }
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(toolbar_);
    layout->addWidget(grid_);
    grid_->setAccessibleName(QStringLiteral("Readings"));
    // Wide enough for all five columns, as the other list windows open.
    resize(480, 420);

    // Right of the main window, level with its top.
    if (const QWidget* panel = app.mainWindow()) {
        const QRect frame = panel->frameGeometry();
        move(frame.x() + frame.width(), frame.y());
    }
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
