#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <array>
#include <optional>

#include "core/Session.h"
#include "core/cells/Verdict.h"
#include "platform/GridModel.h"
#include "platform/widgets/WatchedDialogs.h"
#include "windows/common/WindowRegistry.h"

class Shell;

// The program as its windows see it: the headless session under them, the dialogs, the
// desktop, and the windows themselves. There are no globals: every test builds a fresh App.
class App : public Session {
    Q_OBJECT

  public:
    App(Dialogs& dialogs, Clock& clock, Shell& shell, QObject* parent = nullptr);
    ~App() override;

    // Every question to the person goes through here.
    WatchedDialogs& dialogs() const { return *dialogs_; }
    Shell& shell() const { return shell_; }
    WindowRegistry& windows() { return windows_; }

    // The main window, once it exists: the other windows open beside it and its file dialogs
    // belong to it.
    QWidget* mainWindow() const { return mainWindow_; }
    void setMainWindow(QWidget* window) { mainWindow_ = window; }

    // The grids that plots are made from, one per kind of list window (see PlotSource), with
    // the window that shows each. A plot made again uses the list as it is now: none once its
    // window has been unloaded.
    void offerPlotSource(int kind, QWidget& window, GridModel& grid);
    const GridModel* plotSource(int kind) const;

    // Where the help document is: beside the executable in the build tree, or under the
    // install prefix.
    QString helpDocumentPath() const;

    // The verdict of the sorting window's last capture, for the main window's PASS, WARN and
    // FAIL marks; null when there is none to show (no capture, or the window closed).
    void setSortVerdict(std::optional<Verdict> verdict) { Q_EMIT sortVerdictChanged(verdict); }

    // The main window closed: the session stops and every window goes without its closing
    // logic.
    void shutdown();

  Q_SIGNALS:
    // The port label should show the link's present state again (a logger listing borrowed
    // the port).
    void linkStateStale();
    void sortVerdictChanged(std::optional<Verdict> verdict);

  private:
    std::unique_ptr<WatchedDialogs> dialogs_;
    Shell& shell_;
    WindowRegistry windows_;
    QPointer<QWidget> mainWindow_;
    struct PlotSourceGrid {
        QPointer<QWidget> window;
        QPointer<GridModel> grid;
    };
    std::array<PlotSourceGrid, 2> plotSources_;
};
