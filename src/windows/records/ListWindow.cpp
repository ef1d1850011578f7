#include "windows/records/ListWindow.h"

#include <QAction>
#include <QKeySequence>
#include <QToolBar>

#include "core/records/ListLayout.h"
#include "platform/widgets/Grid.h"
#include "windows/common/Accessibility.h"
#include "windows/common/App.h"
#include "windows/common/ToolbarIcons.h"

namespace ListWindow {

namespace {

// Keyboard access: toolbar buttons take no focus, so each command has its shortcut.
QKeySequence shortcutFor(const QString& key) {
    if (key == QStringLiteral("Save")) {
        return QKeySequence::Save;
    }
    if (key == QStringLiteral("Print")) {
        return QKeySequence::Print;
    }
    return QKeySequence(Qt::CTRL | Qt::Key_G);
}

}  // namespace

void placeBesidePanel(App& app, QWidget& window) {
    if (const QWidget* panel = app.mainWindow()) {
        const QRect frame = panel->frameGeometry();
        window.move(frame.x() + frame.width(), frame.y());
    }
}

void setWidths(Grid& grid, int firstCol, int lastCol) {
    for (int col = firstCol; col <= lastCol; ++col) {
        grid.setColWidthFromSample(col, ListLayout::widthSample(col));
    }
}

QToolBar* toolbar(QWidget* parent, const QList<std::pair<QString, QString>>& keysAndTooltips,
                  std::function<void(const QString&)> click) {
    auto* bar = new QToolBar(parent);
    bar->setObjectName(QStringLiteral("Toolbar1"));
    bar->setAccessibleName(QStringLiteral("Toolbar"));
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    for (const auto& [key, tooltip] : keysAndTooltips) {
        QAction* action = bar->addAction(ToolbarIcon(key), key);
        action->setObjectName(key);
        action->setToolTip(tooltip);
        action->setShortcut(shortcutFor(key));
        QObject::connect(action, &QAction::triggered, parent, [click, key] { click(key); });
    }
    MakeToolbarAccessible(*bar);
    CloseOnEscape(*parent);
    return bar;
}

}  // namespace ListWindow
