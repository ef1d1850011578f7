#pragma once

#include <QHash>

#include "windows/common/AppWindow.h"

class Grid;
class QAction;
class QToolBar;

// One logger set as a list of readings, with its toolbar: "Save", "Plot", "Print".
class DataList : public AppWindow {
    Q_OBJECT

  public:
    explicit DataList(App& app);
    Grid& grid() { return *grid_; }

    QAction* toolbarButton(const QString& key) const { return buttons_.value(key); }
    // Runs the command of a toolbar key; other keys do nothing.
    void toolbarClick(const QString& key);

    static QString recordingRefusal() {
        return QStringLiteral("Aready in recording mode, close it and try again !");
    }

  private:
    void save();
    void plot();
    void print();

    QToolBar* toolbar_;
    QHash<QString, QAction*> buttons_;
    Grid* grid_;
};
