#include "windows/records/ListWindow.h"

#include <QAction>
#include <QIcon>
#include <QKeySequence>
#include <QStyle>
#include <QToolBar>

#include "core/records/ListLayout.h"
#include "platform/widgets/Grid.h"
#include "windows/common/App.h"

namespace ListWindow {

namespace {

QIcon iconFor(const QWidget& parent, const QString& key) {
    if (key == QStringLiteral("Save")) {
        return parent.style()->standardIcon(QStyle::SP_DialogSaveButton);
    }
    if (key == QStringLiteral("Print")) {
        return QIcon::fromTheme(QStringLiteral("document-print"));
    }
    return QIcon::fromTheme(QStringLiteral("x-office-spreadsheet"));
}

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
        QAction* action = bar->addAction(iconFor(*parent, key), key);
        action->setObjectName(key);
        action->setToolTip(tooltip);
        action->setShortcut(shortcutFor(key));
        QObject::connect(action, &QAction::triggered, parent, [click, key] { click(key); });
    }
    return bar;
}

}  // namespace ListWindow
