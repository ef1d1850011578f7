#include "windows/common/App.h"

#include "windows/common/Accessibility.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

App::App(Dialogs& dialogs, Clock& clock, Shell& shell, QObject* parent)
    : Session(clock, parent),
      dialogs_(std::make_unique<WatchedDialogs>(dialogs)),
      shell_(shell),
      windows_(*this) {
    InstallAccessibility();
}

App::~App() {
    windows_.clear();
    shutdown();
}

void App::offerPlotSource(int kind, QWidget& window, GridModel& grid) {
    plotSources_.at(kind) = {&window, &grid};
}

const GridModel* App::plotSource(int kind) const {
    const PlotSourceGrid& source = plotSources_.at(kind);
    return windows_.holds(source.window) ? source.grid.data() : nullptr;
}

QString App::helpDocumentPath() const {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString beside = dir + QStringLiteral("/help/english.pdf");
    if (QFileInfo::exists(beside)) {
        return beside;
    }
    return QDir::cleanPath(dir + QStringLiteral("/../share/kelvomark/help/english.pdf"));
}

void App::shutdown() {
    stop();
    windows_.hideAll();
}
