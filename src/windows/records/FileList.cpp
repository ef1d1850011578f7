#include "windows/records/FileList.h"

#include <QFile>
#include <QFileInfo>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/records/ListLayout.h"
#include "core/records/Progress.h"
#include "core/records/RecordReader.h"
#include "platform/widgets/BusyCursor.h"
#include "platform/widgets/Grid.h"
#include "windows/common/App.h"
#include "windows/graphs/PlotCommands.h"
#include "windows/print/PrintGrid.h"
#include "windows/records/ListWindow.h"
#include "windows/records/StatisticsLine.h"

FileList::FileList(App& app)
    : AppWindow(app),
      grid_(new Grid(ListLayout::Columns, this)),
      ohmRange_(app.meter.FileOhmRange),
      voltRange_(app.meter.FileVoltRange) {
    setObjectName(QStringLiteral("FileList"));
    setWindowTitle(QStringLiteral("FileList"));
    toolbar_ = ListWindow::toolbar(this,
                                   {{QStringLiteral("Plot"), QStringLiteral("Plot")},
                                    {QStringLiteral("Print"), QStringLiteral("Print")}},
                                   [this](const QString& key) { toolbarClick(key); });
    grid_->setAccessibleName(QStringLiteral("Opened file"));
    OfferPlotSource(app, PlotSource::FileList, *this, grid_->model());
    auto* layout = new QVBoxLayout(this);
    layout->setMenuBar(toolbar_);
    layout->addWidget(grid_);
    statistics_ = new StatisticsLine(
        grid_->model(), [this] { return ListStatistics::ohmUnit(ohmRange_); }, this);
    layout->addWidget(statistics_);

    ListWindow::placeBesidePanel(app, *this);
    ListWindow::setWidths(*grid_);
    resize(480, 420);
}

bool FileList::readFile(const QString& path, QString& error) {
    const QString title = QFileInfo(path).fileName();
    setWindowTitle(title);
    GridModel& model = grid_->model();
    model.setRows(1);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = file.errorString();
        return false;
    }
    Meter& meter = app().meter;
    BusyCursor busy;
    Progress progress(app().clock(), [this](qint64 lines) {
        setWindowTitle(QString::number(lines) + QStringLiteral(" Records Completed"));
    });
    const RecordReader::Result result =
        RecordReader::read(file, model, meter.FileOhmRange, meter.FileVoltRange,
                           [&progress](qint64 lines) { progress.update(lines); });
    ohmRange_ = meter.FileOhmRange;
    voltRange_ = meter.FileVoltRange;
    // The line may have been written while the rows came in, before the unit was known.
    statistics_->showSoon();
    progress.finish(result.texts);
    setWindowTitle(title);
    if (!result.ok) {
        error = result.error;
    }
    return result.ok;
}

void FileList::toolbarClick(const QString& key) {
    if (key == QStringLiteral("Plot")) {
        plot();
    } else if (key == QStringLiteral("Print")) {
        PrintGrid(app(), this, grid_->model());
    }
}

void FileList::plot() {
    // The plot's range window plots this list again, not another opened file.
    OfferPlotSource(app(), PlotSource::FileList, *this, grid_->model());
    PlotList(app(), grid_->model(), PlotSource::FileList, ohmRange_, voltRange_);
}
