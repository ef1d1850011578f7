#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <utility>

class App;
class Grid;
class QToolBar;
class QWidget;

// What the list windows share: their place beside the main window, their column widths and
// their small toolbar.
namespace ListWindow {

// Moves `window` so that it opens just right of the main window, tops aligned.
void placeBesidePanel(App& app, QWidget& window);
// Sets each column's width from its sample text in the grid's font.
void setWidths(Grid& grid, int firstCol = 0, int lastCol = 4);
// The window's "Toolbar1": one button per key, with its own picture and shortcut; `click` gets
// the key. Escape closes the window.
QToolBar* toolbar(QWidget* parent, const QList<std::pair<QString, QString>>& keysAndTooltips,
                  std::function<void(const QString&)> click);

}  // namespace ListWindow
